// Starting a creation, the modulation options, the help page and the right-click menu.
#include <memory>

#include "component/ctr_talvero.h"
#include "gateways/tools.h"
#include "screen/display.h"

namespace talvero {

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
