#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "entry_screen/entry_rig.h"
#include "gateways/tools.h"
#include "outside/help_object.h"

namespace talvero {
namespace {

TEST(CommandsTest, HelpIsGivenTheClientAndTheBaseBeforeThePage) {
  testing::EntryRig rig;
  Ctr_Talvero& c = rig.Init();
  auto help = std::make_shared<outside::HelpObject>();
  InstallAide(help);
  c.Mnu_Sommaire_Click();
  InstallAide(nullptr);
  EXPECT_EQ(
      "DefinirClient(object)\nDefinirBase(object)\nAfficherAide(\"RubriqueSaisie.htm\", \"P\", "
      "\"Les Rubriques de Saisie - Consultation\", \"\")",
      help->Journal());
}

// Without accounting the account fields cannot be typed into, but a half-filled pair left by the
// program must still stop the save, silently.
TEST(CommandsTest, OneAccountWithoutTheOtherStopsOkSilentlyWithoutAccounting) {
  testing::EntryRig rig;
  rig.Put("RUBSAISIE", "007", "ACOMPTE^1^^0^+^4^^3^^0^^^^^^0^^^0^0^0^0^0^0");
  Ctr_Talvero& c = rig.Init();
  rig.op.Focus(c.Txt_CodRubSai);
  rig.op.Type("007");
  c.Txt_LibRubSai.SetText("ACOMPTE NET");
  for (screen::Control* account : {&c.Txt_DebitRubSai, &c.Txt_CreditRubSai}) {
    account->SetText("4110000000");
    c.Cmd_OK_Click();
    EXPECT_EQ("", rig.Log());
    // A save that went on would have released the detail copy.
    EXPECT_NE("none", rig.Record(c.EnrCreation)) << account->Name();
    account->SetText("");
  }
  EXPECT_EQ("ACOMPTE", rig.db->GetRecord("RUBSAISIE", "007").value_or("").substr(0, 7));
}

}  // namespace
}  // namespace talvero
