// The screen modes. The screen keeps no mode variable: a mode is the pattern of Enabled and Visible
// states these procedures leave on the controls, so each one walks the whole control collection
// (frames and menus included) and decides every control by its name.
#include <algorithm>
#include <array>
#include <string>

#include "component/ctr_talvero.h"
#include "gateways/dba_error.h"

namespace talvero {
namespace {

// The accounting controls follow ComptesActifs in item and creation modes.
bool IsAccountingControl(const std::string& name) {
  static const std::array<std::string, 7> kNames = {
      "Etq_CompteRubSai", "Etq_DebitRubSai", "Etq_CreditRubSai", "Txt_DebitRubSai",
      "Txt_CreditRubSai", "Cbo_DebitRubSai", "Cbo_CreditRubSai"};
  return std::find(kNames.begin(), kNames.end(), name) != kNames.end();
}

// The three fields of application whose items carry a modulation and an hours type.
bool UsesModulation(const std::string& champ_application) {
  return champ_application == "Main d'oeuvre directe" ||
         champ_application == "Main d'oeuvre directe Dim. et J.F." ||
         champ_application == "Inclus dans brut base et montant";
}

}  // namespace

void Ctr_Talvero::Masquer() {
  screen::Surface& controls = Controls();
  for (int i = 0; i < controls.Count(); ++i) {
    screen::Control& control = controls.Item(i);
    const std::string& name = control.Name();
    control.SetEnabled(name == "Etq_CodRubSai" || name == "Txt_CodRubSai" ||
                       name == "Cbo_LibRubSai" || name == "Cmd_Ajouter" || name == "Cmd_Sortir");
  }
  Appliquer_TauxPoints();
}

void Ctr_Talvero::MasquerEnrSupprime() {
  Cmd_Supprimer.SetCaption("Réactiver");
  Cmd_Supprimer.SetEnabled(true);
  screen::Surface& controls = Controls();
  for (int i = 0; i < controls.Count(); ++i) {
    screen::Control& control = controls.Item(i);
    const std::string& name = control.Name();
    control.SetEnabled(name == "Cmd_Supprimer" || name == "Cmd_Annuler" || name == "Cmd_Sortir");
  }
  Appliquer_TauxPoints();
}

void Ctr_Talvero::Afficher() {
  screen::Surface& controls = Controls();
  for (int i = 0; i < controls.Count(); ++i) {
    screen::Control& control = controls.Item(i);
    const std::string& name = control.Name();
    if (ModeCreation == 1) {
      // A new item cannot be deleted before it exists; the caption is left as it was.
      if (name == "Cmd_Supprimer") {
        control.SetEnabled(false);
      } else {
        control.SetEnabled(IsAccountingControl(name) ? ComptesActifs : true);
      }
    } else {
      control.SetEnabled(IsAccountingControl(name) ? ComptesActifs : true);
      if (name == "Cmd_Supprimer") control.SetCaption("Supprimer");
    }
  }
  bool modulation = UsesModulation(Cbo_ChpAppliRubSai.Text());
  Griser(modulation);
  Appliquer_TauxPoints();
}

void Ctr_Talvero::Griser(bool& b) {
  // The option buttons are switched one by one as well as through their frames, and keep their
  // Value: a field of application that changes back restores the operator's choice.
  Cdr_Modulation.SetEnabled(b);
  Cdr_TypeHeures.SetEnabled(b);
  Opt_Incluse.SetEnabled(b);
  Opt_Excluse.SetEnabled(b);
  Opt_Regularisation.SetEnabled(b);
  Opt_HresNormales.SetEnabled(b);
  Opt_HresCompl.SetEnabled(b);
  Opt_HresSupp.SetEnabled(b);
}

void Ctr_Talvero::Vider_Donnees() {
  // Emptying a selector runs its Change handler, which hides the fields that depend on it; the
  // order matters because the base and rate fields are emptied after their selectors.
  Txt_LibRubSai.SetText("");
  Cbo_ChpAppliRubSai.SetText("");
  Cbo_TypAvNatRubSai.SetText("");
  Cac_AutoRubSai.SetValue(0);
  Cac_RubNuit.SetValue(0);
  Cac_telegere.SetValue(0);
  Opt_HresNormales.SetValue(1);
  Opt_HresCompl.SetValue(0);
  Opt_HresSupp.SetValue(0);
  Opt_AjoutRubSai.SetValue(1);
  Cbo_TypBaseRubSai.SetText("");
  Txt_MontBaseRubSai.SetText("");
  Cbo_TypTauxRubSai.SetText("");
  Txt_MontTauxRubSai.SetText("");
  Cbo_TypMontRubSai.SetText("");
  Txt_ValMontRubSai.SetText("");
  if (ComptesActifs) {
    Txt_DebitRubSai.SetText("");
    Txt_CreditRubSai.SetText("");
  }
  Cbo_TypeFraisProf.SetText("");
  Cac_CaractereAnnuel.SetValue(0);
  Cac_PrevMaintien.SetValue(0);
  Cac_RubNePasFacturer.SetValue(0);
}

void Ctr_Talvero::Masquer_Combo() {
  // The two label controls share one place on the screen: the search list gives way to the
  // editable label, which starts from the label that was picked or typed.
  Txt_CodRubSai.SetEnabled(false);
  Txt_LibRubSai.SetText(Cbo_LibRubSai.Text());
  Cbo_LibRubSai.SetVisible(false);
  Txt_LibRubSai.SetEnabled(true);
  Txt_LibRubSai.SetVisible(true);
}

void Ctr_Talvero::Afficher_Combo() {
  Txt_CodRubSai.SetEnabled(true);
  Cbo_LibRubSai.SetVisible(true);
  Txt_LibRubSai.SetVisible(false);
  Txt_LibRubSai.SetEnabled(false);
}

void Ctr_Talvero::Appliquer_Droits() {
  // The buttons are hidden, not disabled: the mode procedures only ever touch Enabled, so a
  // consultation-only operator never gets them back.
  if (!DroitsRubrique) {
    throw ComponentError(kErrNoObject, "Les droits de l'opérateur sur cet écran sont inconnus.");
  }
  if (DroitsRubrique->NiveauAcces() == 2) return;
  Cmd_Ajouter.SetVisible(false);
  Cmd_OK.SetVisible(false);
  Cmd_Supprimer.SetVisible(false);
}

}  // namespace talvero
