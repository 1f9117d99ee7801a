#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "entry_screen/entry_rig.h"

namespace talvero {
namespace {

class SelectorsTest : public ::testing::Test {
 protected:
  SelectorsTest() {
    c = &rig.Init();
    c->Cmd_Ajouter_Click();  // creation mode: every selector usable
  }
  // "+" for each visible control, "-" for each hidden one.
  std::string Shown(std::initializer_list<const screen::Control*> controls) {
    std::string shown;
    for (const screen::Control* control : controls) shown += control->Visible() ? "+" : "-";
    return shown;
  }

  testing::EntryRig rig;
  Ctr_Talvero* c = nullptr;
};

TEST_F(SelectorsTest, PointsDecideTheAmountTypeEvenInSearchMode) {
  c->Cbo_TypBaseRubSai.SetText("Fixe");
  c->Cbo_TypTauxRubSai.SetText("Fixe - nombre de points");
  c->Masquer();
  EXPECT_EQ("Résultat base par taux", c->Cbo_TypMontRubSai.Text());
  EXPECT_EQ(2, c->CodeTypMont);
  EXPECT_FALSE(c->Cbo_TypMontRubSai.Enabled());

  // Any other rate leaves the amount type disabled while the rate type is.
  c->Cbo_TypTauxRubSai.SetText("A saisir");
  EXPECT_FALSE(c->Cbo_TypMontRubSai.Enabled());
  c->Afficher();
  EXPECT_TRUE(c->Cbo_TypMontRubSai.Enabled());
}

TEST_F(SelectorsTest, AZeroFixedAmountIsEmptiedWhenPointsAreDropped) {
  c->Cbo_TypBaseRubSai.SetText("Pas de base");
  c->Cbo_TypTauxRubSai.SetText("Fixe - nombre de points");
  EXPECT_EQ("Fixe", c->Cbo_TypMontRubSai.Text());
  EXPECT_EQ("0", c->Txt_ValMontRubSai.Text());
  EXPECT_FALSE(c->Txt_ValMontRubSai.Visible());

  c->Cbo_TypTauxRubSai.SetText("Pas de taux");
  EXPECT_EQ("", c->Txt_ValMontRubSai.Text());
  EXPECT_TRUE(c->Txt_ValMontRubSai.Visible());

  // A real amount survives the same change.
  c->Txt_ValMontRubSai.SetText("12,00");
  c->Cbo_TypTauxRubSai.SetText("A saisir");
  EXPECT_EQ("12,00", c->Txt_ValMontRubSai.Text());
}

TEST_F(SelectorsTest, EmptyingTheScreenHidesWhatDependsOnTheSelectors) {
  c->Cbo_ChpAppliRubSai.SetText("Avantage en nature");
  c->Cbo_TypBaseRubSai.SetText("Composante de bases");
  c->Cbo_TypTauxRubSai.SetText("Taux horaire");
  c->Cbo_TypMontRubSai.SetText("Fixe");
  c->Cbo_ChpAppliRubSai.SetText("Main d'oeuvre directe");
  c->Cbo_ChpAppliRubSai.SetText("Avantage en nature");
  const std::initializer_list<const screen::Control*> dependents = {
      &c->Etq_TypAvNatRubSai, &c->Cbo_TypAvNatRubSai,
      &c->Txt_MontBaseRubSai, &c->Etq_PrcMontBaseRubSai,
      &c->Cmd_DetailRubSai,   &c->Txt_MontTauxRubSai,
      &c->Etq_Taux,           &c->Txt_ValMontRubSai};
  EXPECT_EQ("++++++++", Shown(dependents));
  c->Txt_ValMontRubSai.SetText("5,00");

  c->Vider_Donnees();
  EXPECT_EQ("-------+", Shown(dependents));
  EXPECT_EQ("", c->Txt_ValMontRubSai.Text());
  EXPECT_FALSE(c->Cdr_Modulation.Enabled());
  EXPECT_FALSE(c->Cbo_TypeFraisProf.Visible());
}

}  // namespace
}  // namespace talvero
