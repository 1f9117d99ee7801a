// The command buttons (starting a creation, saving, abandoning, leaving), the modulation options,
// the help page and the right-click menu.
#include <memory>
#include <string>

#include "component/ctr_talvero.h"
#include "gateways/tools.h"
#include "screen/display.h"

namespace talvero {
namespace {

// A record's whole text without the empty values and attributes that end it. The store keeps the
// marks of trailing empty values and attributes as they were written, while the screen copy drops
// some of them (the detail codes stop at the first empty value), so the raw texts of an unchanged
// item may differ by marks alone.
std::string WithoutTrailingEmpties(const std::string& text) {
  std::string result;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(kAttrMark, start);
    if (end == std::string::npos) end = text.size();
    std::string attribute = text.substr(start, end - start);
    while (!attribute.empty() && (attribute.back() == kValueMark || attribute.back() == kSubMark)) {
      attribute.pop_back();
    }
    if (start > 0) result += kAttrMark;
    result += attribute;
    start = end + 1;
  }
  while (!result.empty() && result.back() == kAttrMark) result.pop_back();
  return result;
}

bool IsWithoutBaseNorRate(const std::string& amount_type) {
  return amount_type == "Fixe" || amount_type == "A saisir";
}

bool IsBrutFieldOfApplication(const std::string& field) {
  return field == "Main d'oeuvre directe" || field == "Inclus dans brut base et montant" ||
         field == "Main d'oeuvre directe Dim. et J.F.";
}

const char kCreditMissing[] = "Vous devez renseigner le compte comptable de crédit.";
const char kDebitMissing[] = "Vous devez renseigner le compte comptable de débit.";
const char kDetailMissing[] =
    "Vous devez renseigner au moins une rubrique de saisie à inclure dans le détail des "
    "composantes de base.";

}  // namespace

void Ctr_Talvero::Cmd_Ajouter_Click() {
  ModeCreation = 1;
  Vider_Donnees();
  // The code is locked: it is taken from the counter (or was typed in the reserved range) only
  // when the item is written.
  Txt_CodRubSai.SetEnabled(false);
  Afficher();
  Masquer_Combo();
  Cmd_Ajouter.SetEnabled(false);
  Cmd_Sortir.SetEnabled(false);
  Txt_LibRubSai.SetFocus();
  EnrRubSaisie = std::make_shared<DBADynArray>();
}

void Ctr_Talvero::Cmd_Annuler_Click() {
  if (ModeCreation == 1 &&
      MsgBox("Etes-vous sûr de vouloir quitter cette création ?", 52) != screen::kAnswerYes) {
    return;
  }
  Txt_ValMontRubSai.SetVisible(false);
  Txt_CodRubSai.SetText("");  // its Change handler puts the screen back in search mode
  Vider_Donnees();
  Afficher_Combo();
  EnrOrigine.clear();
  EnrRubSaisie.reset();
  ModeCreation = 0;
  Cmd_OK.SetEnabled(false);
  Cmd_Annuler.SetEnabled(false);
  Cmd_Ajouter.SetEnabled(true);
  Cmd_Sortir.SetEnabled(true);
  CreationReservee = false;
  Txt_CodRubSai.SetFocus();
  EnrCreation.reset();
}

void Ctr_Talvero::Cmd_OK_Click() {
  if (IsWithoutBaseNorRate(Cbo_TypMontRubSai.Text()) &&
      IsBrutFieldOfApplication(Cbo_ChpAppliRubSai.Text())) {
    MsgBox(
        "Le champ d'application d'une rubrique sans base ni taux ne peut être de type 'Main "
        "d'oeuvre directe' ou 'inclus dans brut base et montant'.",
        48);
    return;
  }

  // One account without the other is never saved, even without accounting: the half-filled pair
  // would be posted nowhere. Only the message depends on accounting being in use.
  const bool has_debit = !Txt_DebitRubSai.Text().empty();
  const bool has_credit = !Txt_CreditRubSai.Text().empty();
  if (has_debit && !has_credit) {
    if (ComptesActifs) {
      MsgBox(kCreditMissing, 48);
      Txt_CreditRubSai.SetFocus();
    }
    return;
  }
  if (!has_debit && has_credit) {
    if (ComptesActifs) {
      MsgBox(kDebitMissing, 48);
      Txt_DebitRubSai.SetFocus();
    }
    return;
  }
  if (!has_debit && !has_credit && ComptesActifs) {
    MsgBox("Vous devez renseigner les comptes comptables de débit et de crédit.", 48);
    Txt_DebitRubSai.SetFocus();
    return;
  }

  const std::string& base_type = Cbo_TypBaseRubSai.Text();
  if (EnrCreation &&
      (base_type == Cbo_TypBaseRubSai.List(2) || base_type == Cbo_TypBaseRubSai.List(3)) &&
      EnrCreation->Get(14) == "I" && EnrCreation->Get(15).empty()) {
    MsgBox(kDetailMissing, 48);
    Cmd_DetailRubSai_Click();
    return;
  }

  // The values are formatted as on leaving their fields, so that a value typed and never left is
  // checked and stored like any other.
  if (!Txt_MontBaseRubSai.Text().empty()) Txt_MontBaseRubSai_LostFocus();
  if (!Txt_MontTauxRubSai.Text().empty()) Txt_MontTauxRubSai_LostFocus();
  if (!Txt_ValMontRubSai.Text().empty()) Txt_ValMontRubSai_LostFocus();

  Ecrire_Donnees();
  if (ErreurSaisie) return;
  Txt_ValMontRubSai.SetVisible(false);
  if (Txt_CodRubSai.Enabled()) Txt_CodRubSai.SetFocus();
  EnrCreation.reset();
}

void Ctr_Talvero::Cmd_Sortir_Click() {
  auto snapshot = std::make_shared<DBADynArray>();
  W_Sortir = false;
  auto leave = [&] {
    snapshot.reset();
    W_Sortir = true;
    screen_.UnloadHost();
  };

  if (!DroitsRubrique || DroitsRubrique->NiveauAcces() != 2 || !EnrRubSaisie) {
    leave();
    return;
  }
  // Verification overwrites the buffer with the screen; the snapshot puts it back whenever the
  // operator stays, so that a later comparison still starts from the record as loaded.
  snapshot->Set(EnrRubSaisie->Get());
  Verification();
  if (WithoutTrailingEmpties(EnrRubSaisie->Get()) == WithoutTrailingEmpties(EnrOrigine)) {
    leave();
    return;
  }

  screen_.Beep();
  const int answer =
      MsgBox("Voulez-vous enregistrer les modifications apportées à cette rubrique ?", 51);
  if (answer == screen::kAnswerNo) {
    leave();
    return;
  }
  if (answer != screen::kAnswerYes) {
    EnrRubSaisie->Set(snapshot->Get());
    return;
  }

  if (EnrRubSaisie->Get(14) == "I" &&
      (EnrRubSaisie->Get(6, 1) == "2" || EnrRubSaisie->Get(6, 1) == "3") &&
      EnrRubSaisie->Get(15).empty()) {
    MsgBox(kDetailMissing, 48);
    Cmd_DetailRubSai_Click();
    return;
  }
  EnrRubSaisie->Set(snapshot->Get());
  const bool has_debit = !Txt_DebitRubSai.Text().empty();
  const bool has_credit = !Txt_CreditRubSai.Text().empty();
  if (has_debit && !has_credit) {
    MsgBox(kCreditMissing, 48);
    Txt_CreditRubSai.SetFocus();
    return;
  }
  if (!has_debit && has_credit) {
    MsgBox(kDebitMissing, 48);
    Txt_DebitRubSai.SetFocus();
    return;
  }
  Ecrire_Donnees();
  if (ErreurSaisie) return;
  leave();
}

// The three modulation options sit in one frame; each clears the other two itself as well, so
// that a program assignment leaves exactly one selected whatever the frame does.
void Ctr_Talvero::Opt_Excluse_Click() {
  Opt_Incluse.SetValue(0);
  Opt_Regularisation.SetValue(0);
}

void Ctr_Talvero::Opt_Incluse_Click() {
  Opt_Excluse.SetValue(0);
  Opt_Regularisation.SetValue(0);
}

void Ctr_Talvero::Opt_Regularisation_Click() {
  Opt_Incluse.SetValue(0);
  Opt_Excluse.SetValue(0);
}

void Ctr_Talvero::Mnu_Sommaire_Click() {
  AideEnLigne& aide = SharedAide();
  aide.DefinirClient(Client);
  aide.DefinirBase(Base);
  aide.AfficherAide("RubriqueSaisie.htm", "P", "Les Rubriques de Saisie - Consultation", "");
}

void Ctr_Talvero::UserControl_MouseDown(int& Button, int& Shift, float& x, float& y) {
  if (Button != 2) return;
  // The mode procedures disable the menus with every other control; a right click brings them
  // back so that help is reachable in every mode.
  Mnu_Aide.SetEnabled(true);
  Mnu_Sommaire.SetEnabled(true);
  screen_.PopupMenu(Mnu_Aide);
}

}  // namespace talvero
