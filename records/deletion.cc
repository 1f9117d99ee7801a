// Deleting and reactivating an entry item. An item is never removed: attribute 18 marks it deleted,
// so that the pay slips already computed with it can still name it.
#include <string>

#include "component/ctr_talvero.h"
#include "component/object_access.h"
#include "gateways/tools.h"
#include "records/code_tables.h"
#include "screen/display.h"

namespace talvero {

void Ctr_Talvero::Cmd_Supprimer_Click() {
  if (ModeCreation == 1) return;
  screen_.Beep();
  const std::string question = RubSupprimee ? "Etes-vous sûr de vouloir réactiver cette rubrique ?"
                                            : "Etes-vous sûr de vouloir supprimer cette rubrique ?";
  if (MsgBox(question, 52) == screen::kAnswerNo) return;
  if (records::CodeNumber(Txt_CodRubSai.Text()) >= records::kFirstReservedCode &&
      !SharedOutils().EstUtilisateur("OrVanel")) {
    MsgBox("Vous n'êtes pas autorisé à supprimer cette rubrique.", 48);
    return;
  }

  screen_.DoEvents();
  surface_->SetMousePointer(screen::kPointerHourglass);
  surface_->SetEnabled(false);

  // Only the mark changes: fields edited on screen and not saved are not written here. Should the
  // write fail, the buffer and the flag are put back so that the screen still tells the truth.
  DBADynArray& record = Obj(EnrRubSaisie);
  const std::string previous_mark = record.Get(records::kSupprimee);
  const bool was_deleted = RubSupprimee;
  record.Set(records::kSupprimee, was_deleted ? "" : "1");
  RubSupprimee = !was_deleted;
  try {
    record.DBWrite();
  } catch (...) {
    record.Set(records::kSupprimee, previous_mark);
    RubSupprimee = was_deleted;
    throw;
  }

  Remplir_RubSaisie();
  Vider_Donnees();
  Afficher_Combo();
  EnrRubSaisie.reset();
  ModeCreation = 0;
  Cmd_OK.SetEnabled(false);
  Cmd_Annuler.SetEnabled(false);
  Cmd_Supprimer.SetEnabled(false);
  Cmd_Ajouter.SetEnabled(true);
  Cmd_Sortir.SetEnabled(true);
  CreationReservee = false;
  if (RubSupprimee) {
    Txt_CodRubSai.SetText("");  // back to search mode
  } else {
    Txt_CodRubSai_Change();  // the code still shown is found in the fresh list, live again
  }

  screen_.DoEvents();
  surface_->SetMousePointer(screen::kPointerDefault);
  surface_->SetEnabled(true);
  if (Txt_CodRubSai.Enabled()) Txt_CodRubSai.SetFocus();
}

}  // namespace talvero
