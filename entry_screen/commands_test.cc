#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "entry_screen/entry_rig.h"
#include "gateways/tools.h"

namespace talvero {
namespace {

class RecordingHelp : public AideEnLigne {
 public:
  void AfficherAide(const std::string& page, const std::string& mode, const std::string& title,
                    const std::string& extra) override {
    calls += "show " + page + " " + mode + " " + title + " [" + extra + "];";
  }
  void DefinirClient(std::shared_ptr<DBAClient> client) override {
    calls += client ? "client;" : "no client;";
  }
  void DefinirBase(std::shared_ptr<DBADatabase> base) override {
    calls += base ? "base;" : "no base;";
  }
  std::string calls;
};

TEST(CommandsTest, HelpIsGivenTheClientAndTheBaseBeforeThePage) {
  testing::EntryRig rig;
  Ctr_Talvero& c = rig.Init();
  auto help = std::make_shared<RecordingHelp>();
  InstallAide(help);
  c.Mnu_Sommaire_Click();
  InstallAide(nullptr);
  EXPECT_EQ("client;base;show RubriqueSaisie.htm P Les Rubriques de Saisie - Consultation [];",
            help->calls);
}

}  // namespace
}  // namespace talvero
