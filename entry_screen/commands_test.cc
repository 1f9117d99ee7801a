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

TEST(CommandsTest, EachModulationOptionClearsTheOtherTwo) {
  testing::EntryRig rig;
  Ctr_Talvero& c = rig.Init();
  auto selected = [&c] {
    return std::to_string(c.Opt_Incluse.Value()) + std::to_string(c.Opt_Excluse.Value()) +
           std::to_string(c.Opt_Regularisation.Value());
  };
  // The handlers run on their own here, as a program assignment would raise them.
  c.Opt_Incluse.SetValue(1);
  c.Opt_Excluse_Click();
  EXPECT_EQ("000", selected());
  c.Opt_Regularisation.SetValue(1);
  c.Opt_Incluse_Click();
  EXPECT_EQ("000", selected());
  c.Opt_Excluse.SetValue(1);
  c.Opt_Regularisation_Click();
  EXPECT_EQ("000", selected());
  // Set by program, the option raises its own handler and stays the only one.
  c.Opt_Regularisation.SetValue(1);
  EXPECT_EQ("001", selected());
}

TEST(CommandsTest, AjouterStartsACreationOnAFreshBuffer) {
  testing::EntryRig rig;
  Ctr_Talvero& c = rig.Init();
  c.Txt_CodRubSai.SetText("85");
  c.Cmd_Ajouter_Click();
  rig.screen_.DoEvents();
  EXPECT_EQ(1, c.ModeCreation);
  EXPECT_EQ("", rig.Record(c.EnrRubSaisie));
  EXPECT_EQ("85", c.Txt_CodRubSai.Text());
  EXPECT_EQ("Txt_LibRubSai", rig.Focused());
  EXPECT_FALSE(c.Cmd_Sortir.Enabled());
  EXPECT_FALSE(c.Cmd_Supprimer.Enabled());
  EXPECT_TRUE(c.Cmd_OK.Enabled());
}

}  // namespace
}  // namespace talvero
