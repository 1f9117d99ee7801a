#include "component/ctr_talvero.h"

#include <gtest/gtest.h>

#include "entry_screen/entry_rig.h"
#include "gateways/dba_error.h"

namespace talvero {
namespace {

TEST(StartUpTest, SettingTheRightsTwiceQueriesTheScreenEachTime) {
  testing::EntryRig rig;
  Ctr_Talvero c(rig.screen_);
  auto other = std::make_shared<outside::ConfiguredRights>();
  c.DroitsUtilisateur(rig.rights);
  c.DroitsUtilisateur(other);
  EXPECT_EQ(1, rig.rights->QueryCount("RUBRIQUEDESAISIE"));
  EXPECT_EQ(1, other->QueryCount("RUBRIQUEDESAISIE"));
  EXPECT_EQ(other, c.DroitsOperateur);
}

TEST(StartUpTest, AFileThatCannotBeOpenedFailsInitForTheHost) {
  testing::EntryRig rig;
  auto broken = std::make_shared<testing::HookedDatabase>(rig.db);
  broken->before_open = [](const std::string& file) {
    throw ComponentError(kErrNoSuchFile, "Fichier " + file + " absent");
  };
  rig.host_db = broken;
  EXPECT_THROW(rig.Init(), ComponentError);
}

TEST(StartUpTest, TearDownReleasesTheSharedObjectsOfEveryInstance) {
  testing::EntryRig rig;
  Ctr_Talvero& first = rig.Init();
  auto second = std::make_unique<Ctr_Talvero>(rig.screen_);
  EXPECT_EQ(rig.db, second->Base);  // the globals are shared on this thread
  second.reset();                   // never initialised, still releases everything
  EXPECT_EQ(nullptr, first.Base);
  EXPECT_EQ(nullptr, first.FicRubSaisie);
  EXPECT_EQ(nullptr, first.EnrCompteur);
}

}  // namespace
}  // namespace talvero
