#include <gtest/gtest.h>

#include <string>

#include "entry_screen/entry_rig.h"

namespace talvero {
namespace {

// OK formats the values before its checks, so a bare "0" reaches them only from Sortir; the
// scenarios hold every other check.
TEST(ValidationTest, ABareZeroRateOrAmountIsRefusedWhereItsTypeIsChosen) {
  testing::EntryRig rig;
  Ctr_Talvero& c = rig.Init();
  c.Cmd_Ajouter_Click();
  rig.op.Settle();
  c.Txt_LibRubSai.SetText("PRIME");
  rig.op.Pick(c.Cbo_ChpAppliRubSai, "Inclus dans brut montant");
  rig.op.Pick(c.Cbo_TypBaseRubSai, "Pas de base");
  rig.op.Pick(c.Cbo_TypTauxRubSai, "Fixe - montant");
  rig.op.Pick(c.Cbo_TypMontRubSai, "Fixe");
  rig.op.Focus(c.Txt_LibRubSai);
  rig.Log();
  auto check = [&](const char* rate, const char* amount) {
    c.Txt_MontTauxRubSai.SetText(rate);
    c.Txt_ValMontRubSai.SetText(amount);
    c.Zones_Oblig();
    rig.op.Settle();
    return rig.Log() + "focus " + rig.Focused() + (c.ErreurSaisie ? " error" : " ok");
  };
  EXPECT_EQ(
      "message 64 \"Message ORVANEL\" \"Le taux horaire doit être différent de 0.\"\n"
      "focus Cbo_TypTauxRubSai error",
      check("0", "1,00"));
  EXPECT_EQ(
      "message 64 \"Message ORVANEL\" \"Le montant doit être différent de 0.\"\n"
      "focus Cbo_TypMontRubSai error",
      check("0,0000", "0"));
  EXPECT_EQ("focus Cbo_TypMontRubSai ok", check("0,0000", "0,00"));
}

}  // namespace
}  // namespace talvero
