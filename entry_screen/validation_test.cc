#include <gtest/gtest.h>

#include <string>

#include "entry_screen/entry_rig.h"

namespace talvero {
namespace {

class ValidationTest : public ::testing::Test {
 protected:
  ValidationTest() : c(rig.Init()) {
    c.Cmd_Ajouter_Click();
    rig.op.Settle();
  }

  // Picks the types as the operator does, then leaves the last one so that its rules run.
  void Types(const std::string& field, const std::string& base, const std::string& rate,
             const std::string& amount) {
    rig.op.Pick(c.Cbo_ChpAppliRubSai, field);
    rig.op.Pick(c.Cbo_TypBaseRubSai, base);
    rig.op.Pick(c.Cbo_TypTauxRubSai, rate);
    rig.op.Pick(c.Cbo_TypMontRubSai, amount);
    rig.op.Focus(c.Txt_LibRubSai);
    rig.Log();
  }

  // The message of one save attempt, and where the focus went.
  std::string Check() {
    c.Zones_Oblig();
    c.Verification_Combo();
    rig.op.Settle();
    return rig.Log() + "focus " + rig.Focused() + (c.ErreurSaisie ? " error" : " ok");
  }

  testing::EntryRig rig;
  Ctr_Talvero& c;
};

TEST_F(ValidationTest, ZeroAndComponentValues) {
  c.Txt_LibRubSai.SetText("PRIME");
  Types("Inclus dans brut montant", "Composante de bases", "Taux horaire",
        "Résultat base par taux");
  c.Txt_MontBaseRubSai.SetText("0,00");
  EXPECT_EQ(
      "message 64 \"Message ORVANEL\" \"Le pourcentage de composante doit être différent de 0.\"\n"
      "focus Cbo_TypBaseRubSai error",
      Check());
  c.Txt_MontBaseRubSai.SetText("100,50");
  c.Txt_MontTauxRubSai.SetText("0,0000");
  EXPECT_EQ("focus Cbo_TypBaseRubSai ok", Check());
  c.Txt_MontTauxRubSai.SetText("0");
  EXPECT_EQ(
      "message 64 \"Message ORVANEL\" \"Le taux horaire doit être différent de 0.\"\n"
      "focus Cbo_TypTauxRubSai error",
      Check());
  c.Txt_MontTauxRubSai.SetText("1,0000");
  c.Txt_MontBaseRubSai.SetText("101,00");
  EXPECT_EQ(
      "message 64 \"Message ORVANEL\" \"Le taux de composante doit être inférieur à 100 %\"\n"
      "focus Txt_MontBaseRubSai error",
      Check());
}

TEST_F(ValidationTest, TypeCombinations) {
  c.Txt_LibRubSai.SetText("PRIME");
  Types("Après net imposable", "Fixe", "Taux horaire", "Fixe");
  c.Txt_MontBaseRubSai.SetText("10,00");
  EXPECT_EQ(
      "message 64 \"Message ORVANEL\" \"Le montant doit être différent de 'A saisir' ou "
      "'Fixe'.\"\nfocus Cbo_TypMontRubSai error",
      Check());
  // The selectors' own rules keep this combination off the screen; the check stands behind them.
  Types("Après net imposable", "Fixe", "Taux horaire", "Résultat base par taux");
  c.Cbo_TypTauxRubSai.SetText("Fixe - nombre de points");
  EXPECT_EQ(
      "message 48 \"Message ORVANEL\" \"Le type de taux 'Fixe - nombre de points' est possible "
      "seulement pour le champ d'application 'Inclus dans brut montant'.\"\n"
      "focus Cbo_TypTauxRubSai error",
      Check());
}

TEST(VerificationTest, DeletedMarkerDroppedAndUnsetOptionsKept) {
  testing::EntryRig rig;
  rig.Put("RUBSAISIE", "012", "PRIME^6^^0^+^4^^3^^0^^^^R^^2^^1^^0^0^0^0^0");
  Ctr_Talvero& c = rig.Init();
  rig.op.Focus(c.Txt_CodRubSai);
  rig.op.Type("012");
  rig.op.Settle();
  c.Txt_LibRubSai.SetText("PRIME         SUPPRIME");
  c.Cdr_Modulation.SetEnabled(false);
  c.Opt_HresNormales.SetValue(0);
  c.EnrRubSaisie->Set(19, "");
  c.Verification();
  EXPECT_EQ("PRIME^6^^0^+^4^^3^^0^^^^R^^2^^1^^0^0^0^0^0", rig.Record(c.EnrRubSaisie));
}

}  // namespace
}  // namespace talvero
