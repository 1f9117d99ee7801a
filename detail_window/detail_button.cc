#include "component/ctr_talvero.h"
#include "component/object_access.h"

namespace talvero {

// Opens the detail window over the entry screen and waits until it is closed.
void Ctr_Talvero::Cmd_DetailRubSai_Click() {
  surface_->SetMousePointer(screen::kPointerHourglass);
  surface_->SetEnabled(false);
  // A new item has no record yet: the window works on the screen as it stands.
  if (ModeCreation == 1) MAJ_Creation();
  screen_.Load(*detail_);
  Frm_Detail& window = *frm_detail_;
  // The window keeps its controls from one opening to the next, so the caption is set on every
  // opening: any base type but "Composante de bases" shows the one the window was designed with.
  if (Cbo_TypBaseRubSai.Text() == "Composante de bases")
    window.Etq_Base.SetCaption("Base : composante de bases");
  else
    window.Etq_Base.SetCaption("Base : composante de montants");
  window.Etq_CodLibRubSai.SetCaption(Txt_CodRubSai.Text() + "    " + Cbo_LibRubSai.Text());
  window.Remplir_Liste();
  screen_.ShowModal(*detail_);
  screen_.DoEvents();
  surface_->SetMousePointer(screen::kPointerDefault);
  surface_->SetEnabled(true);
}

}  // namespace talvero
