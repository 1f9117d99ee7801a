#include "component/ctr_talvero.h"

#include <gtest/gtest.h>

#include "outside/rights_object.h"
#include "screen/display.h"
#include "store/sqlite_store.h"

namespace talvero {
namespace {

class StartUpTest : public ::testing::Test {
 protected:
  StartUpTest() : screen_(display_), db_(store::SqliteDatabase::Open(":memory:")) {
    rights_ = std::make_shared<outside::ConfiguredRights>();
  }

  std::unique_ptr<Ctr_Talvero> Start() {
    auto control = std::make_unique<Ctr_Talvero>(screen_);
    control->TheDatabase(db_);
    control->TheClient(std::make_shared<DBAClient>());
    control->DroitsUtilisateur(rights_);
    control->Init();
    screen_.DoEvents();
    return control;
  }

  screen::HeadlessDisplay display_;
  screen::Screen screen_;
  std::shared_ptr<store::SqliteDatabase> db_;
  std::shared_ptr<outside::ConfiguredRights> rights_;
};

TEST_F(StartUpTest, SettingTheRightsTwiceQueriesTheScreenEachTime) {
  Ctr_Talvero c(screen_);
  auto other = std::make_shared<outside::ConfiguredRights>();
  c.DroitsUtilisateur(rights_);
  c.DroitsUtilisateur(other);
  EXPECT_EQ(1, rights_->QueryCount("RUBRIQUEDESAISIE"));
  EXPECT_EQ(1, other->QueryCount("RUBRIQUEDESAISIE"));
  EXPECT_EQ(other, c.DroitsOperateur);
}

TEST_F(StartUpTest, AFileThatCannotBeOpenedFailsInitForTheHost) {
  auto empty = std::make_shared<Ctr_Talvero>(screen_);
  class NoFiles : public DBADatabase {
   public:
    std::shared_ptr<DBAFile> DBOpen(const std::string& f) override {
      throw ComponentError(kErrNoSuchFile, "Fichier " + f + " absent");
    }
    DynArrayPtr DBQuery(const std::string&, const std::string&, int32_t&) override {
      return std::make_shared<DBADynArray>();
    }
    void DBTransaction(const std::function<void()>& body) override { body(); }
  };
  empty->TheDatabase(std::make_shared<NoFiles>());
  empty->DroitsUtilisateur(rights_);
  EXPECT_THROW(empty->Init(), ComponentError);
}

TEST_F(StartUpTest, TearDownReleasesTheSharedObjectsOfEveryInstance) {
  db_->PutRecord("COMPTEUR", "999", std::string("\xFE\xFE") + "041");
  auto first = Start();
  auto second = std::make_unique<Ctr_Talvero>(screen_);
  EXPECT_EQ(db_, second->Base);  // the globals are shared on this thread
  second.reset();                // never initialised, still releases everything
  EXPECT_EQ(nullptr, first->Base);
  EXPECT_EQ(nullptr, first->FicRubSaisie);
  EXPECT_EQ(nullptr, first->EnrCompteur);
}

}  // namespace
}  // namespace talvero
