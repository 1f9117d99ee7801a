#include <gtest/gtest.h>

#include "entry_screen/entry_rig.h"
#include "gateways/dba_error.h"

namespace talvero {
namespace {

class ModesTest : public ::testing::Test {
 protected:
  // The names of the controls of the collection with that Enabled state, in design order.
  std::string Names(bool enabled) {
    std::string names;
    for (int i = 0; i < c().Controls().Count(); ++i) {
      const screen::Control& control = c().Controls().Item(i);
      if (control.Enabled() == enabled) names += (names.empty() ? "" : " ") + control.Name();
    }
    return names;
  }
  Ctr_Talvero& c() { return *rig.control; }

  testing::EntryRig rig;
};

const char kFrames[] =
    "Cdr_Modulation Opt_Regularisation Opt_Excluse Opt_Incluse Cdr_TypeHeures Opt_HresSupp "
    "Opt_HresCompl Opt_HresNormales";

TEST_F(ModesTest, SearchAndDeletedModesLeaveOnlyTheirControlsEnabled) {
  rig.Init();
  EXPECT_EQ("Txt_CodRubSai Cmd_Sortir Cmd_Ajouter Cbo_LibRubSai Etq_CodRubSai", Names(true));

  c().Cmd_Supprimer.SetEnabled(false);
  c().MasquerEnrSupprime();
  EXPECT_EQ("Cmd_Annuler Cmd_Sortir Cmd_Supprimer", Names(true));
  EXPECT_EQ("Réactiver", c().Cmd_Supprimer.Caption());
}

TEST_F(ModesTest, ItemModeFollowsAccountingAndTheFieldOfApplication) {
  rig.Init();
  c().MasquerEnrSupprime();
  c().Afficher();
  EXPECT_EQ(std::string(kFrames) +
                " Cbo_DebitRubSai Txt_DebitRubSai Cbo_CreditRubSai Txt_CreditRubSai "
                "Etq_CompteRubSai Etq_DebitRubSai Etq_CreditRubSai",
            Names(false));
  EXPECT_EQ("Supprimer", c().Cmd_Supprimer.Caption());

  c().ComptesActifs = true;
  c().Cbo_ChpAppliRubSai.SetText("Main d'oeuvre directe Dim. et J.F.");
  c().Afficher();
  EXPECT_EQ("", Names(false));
}

TEST_F(ModesTest, CreationModeDisablesDeletionAndKeepsItsCaption) {
  rig.Init();
  c().ComptesActifs = true;
  c().MasquerEnrSupprime();
  c().ModeCreation = 1;
  c().Afficher();
  EXPECT_EQ(std::string(kFrames) + " Cmd_Supprimer", Names(false));
  EXPECT_EQ("Réactiver", c().Cmd_Supprimer.Caption());
}

TEST_F(ModesTest, EmptyingLeavesTheAccountsAloneWhenAccountingIsOff) {
  rig.Init();
  c().Txt_DebitRubSai.SetText("6411000000");
  c().Txt_LibRubSai.SetText("PRIME");
  c().Cac_RubNuit.SetValue(1);
  c().Vider_Donnees();
  EXPECT_EQ("6411000000", c().Txt_DebitRubSai.Text());
  EXPECT_EQ("", c().Txt_LibRubSai.Text());
  EXPECT_EQ(0, c().Cac_RubNuit.Value());

  c().ComptesActifs = true;
  c().Vider_Donnees();
  EXPECT_EQ("", c().Txt_DebitRubSai.Text());
}

TEST_F(ModesTest, RightsHideTheUpdatingButtonsForGood) {
  rig.rights->SetDefaultLevel(1);
  rig.Init();
  EXPECT_FALSE(c().Cmd_Ajouter.Visible());
  EXPECT_FALSE(c().Cmd_OK.Visible());
  EXPECT_FALSE(c().Cmd_Supprimer.Visible());
  c().Afficher();
  c().MasquerEnrSupprime();
  EXPECT_FALSE(c().Cmd_Supprimer.Visible());
  EXPECT_TRUE(c().Cmd_Sortir.Visible());

  // Without a rights object the level cannot be read: an error, the buttons untouched.
  Ctr_Talvero bare(rig.screen_);
  try {
    bare.Appliquer_Droits();
    FAIL() << "no error";
  } catch (const ComponentError& e) {
    EXPECT_EQ(kErrNoObject, e.Number());
  }
  EXPECT_TRUE(bare.Cmd_Ajouter.Visible());
}

}  // namespace
}  // namespace talvero
