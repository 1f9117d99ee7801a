#include "component/ctr_talvero.h"

namespace talvero {

// Each control event goes to the handler named after the control and the event.
void Ctr_Talvero::WireEntryScreen() {
  Txt_CodRubSai.OnKeyPress = [this](int& k) { Txt_CodRubSai_KeyPress(k); };
  Txt_CodRubSai.OnLostFocus = [this] { Txt_CodRubSai_LostFocus(); };
  Txt_CodRubSai.OnChange = [this] { Txt_CodRubSai_Change(); };
  Cbo_LibRubSai.OnKeyPress = [this](int& k) { Cbo_LibRubSai_KeyPress(k); };
  Cbo_LibRubSai.OnClick = [this] { Cbo_LibRubSai_Click(); };
  Cbo_LibRubSai.OnLostFocus = [this] { Cbo_LibRubSai_LostFocus(); };
  Txt_LibRubSai.OnLostFocus = [this] { Txt_LibRubSai_LostFocus(); };

  Cbo_ChpAppliRubSai.OnChange = [this] { Cbo_ChpAppliRubSai_Change(); };
  Cbo_ChpAppliRubSai.OnClick = [this] { Cbo_ChpAppliRubSai_Click(); };
  Cbo_ChpAppliRubSai.OnLostFocus = [this] { Cbo_ChpAppliRubSai_LostFocus(); };
  Cbo_TypAvNatRubSai.OnLostFocus = [this] { Cbo_TypAvNatRubSai_LostFocus(); };
  Cbo_TypeFraisProf.OnLostFocus = [this] { Cbo_TypeFraisProf_LostFocus(); };
  Cbo_TypBaseRubSai.OnChange = [this] { Cbo_TypBaseRubSai_Change(); };
  Cbo_TypBaseRubSai.OnClick = [this] { Cbo_TypBaseRubSai_Click(); };
  Cbo_TypBaseRubSai.OnLostFocus = [this] { Cbo_TypBaseRubSai_LostFocus(); };
  Cbo_TypTauxRubSai.OnChange = [this] { Cbo_TypTauxRubSai_Change(); };
  Cbo_TypTauxRubSai.OnClick = [this] { Cbo_TypTauxRubSai_Click(); };
  Cbo_TypTauxRubSai.OnLostFocus = [this] { Cbo_TypTauxRubSai_LostFocus(); };
  Cbo_TypMontRubSai.OnChange = [this] { Cbo_TypMontRubSai_Change(); };
  Cbo_TypMontRubSai.OnClick = [this] { Cbo_TypMontRubSai_Click(); };
  Cbo_TypMontRubSai.OnLostFocus = [this] { Cbo_TypMontRubSai_LostFocus(); };
  Cdr_SigneRubSai.OnMouseDown = [this](int& b, int& s, float& x, float& y) {
    Cdr_SigneRubSai_MouseDown(b, s, x, y);
  };

  Txt_MontBaseRubSai.OnKeyPress = [this](int& k) { Txt_MontBaseRubSai_KeyPress(k); };
  Txt_MontTauxRubSai.OnKeyPress = [this](int& k) { Txt_MontTauxRubSai_KeyPress(k); };
  Txt_ValMontRubSai.OnKeyPress = [this](int& k) { Txt_ValMontRubSai_KeyPress(k); };
  Txt_MontBaseRubSai.OnLostFocus = [this] { Txt_MontBaseRubSai_LostFocus(); };
  Txt_MontTauxRubSai.OnLostFocus = [this] { Txt_MontTauxRubSai_LostFocus(); };
  Txt_ValMontRubSai.OnLostFocus = [this] { Txt_ValMontRubSai_LostFocus(); };

  Txt_DebitRubSai.OnKeyPress = [this](int& k) { Txt_DebitRubSai_KeyPress(k); };
  Txt_CreditRubSai.OnKeyPress = [this](int& k) { Txt_CreditRubSai_KeyPress(k); };
  Txt_DebitRubSai.OnLostFocus = [this] { Txt_DebitRubSai_Lostfocus(); };
  Txt_CreditRubSai.OnLostFocus = [this] { Txt_CreditRubSai_LostFocus(); };
  Txt_DebitRubSai.OnChange = [this] { Txt_DebitRubSai_Change(); };
  Txt_CreditRubSai.OnChange = [this] { Txt_CreditRubSai_Change(); };
  Cbo_DebitRubSai.OnClick = [this] { Cbo_DebitRubSai_Click(); };
  Cbo_CreditRubSai.OnClick = [this] { Cbo_CreditRubSai_Click(); };
  Cbo_DebitRubSai.OnChange = [this] { Cbo_DebitRubSai_Change(); };
  Cbo_CreditRubSai.OnChange = [this] { Cbo_CreditRubSai_Change(); };
  Cbo_DebitRubSai.OnKeyPress = [this](int& k) { Cbo_DebitRubSai_KeyPress(k); };
  Cbo_CreditRubSai.OnKeyPress = [this](int& k) { Cbo_CreditRubSai_KeyPress(k); };
  Cbo_DebitRubSai.OnLostFocus = [this] { Cbo_DebitRubSai_LostFocus(); };
  Cbo_CreditRubSai.OnLostFocus = [this] { Cbo_CreditRubSai_LostFocus(); };
  Cbo_DebitRubSai.OnGotFocus = [this] { Cbo_DebitRubSai_GotFocus(); };
  Cbo_CreditRubSai.OnGotFocus = [this] { Cbo_CreditRubSai_GotFocus(); };

  Cmd_Ajouter.OnClick = [this] { Cmd_Ajouter_Click(); };
  Cmd_Annuler.OnClick = [this] { Cmd_Annuler_Click(); };
  Cmd_OK.OnClick = [this] { Cmd_OK_Click(); };
  Cmd_Sortir.OnClick = [this] { Cmd_Sortir_Click(); };
  Cmd_Supprimer.OnClick = [this] { Cmd_Supprimer_Click(); };
  Cmd_DetailRubSai.OnClick = [this] { Cmd_DetailRubSai_Click(); };
  Opt_Excluse.OnClick = [this] { Opt_Excluse_Click(); };
  Opt_Incluse.OnClick = [this] { Opt_Incluse_Click(); };
  Opt_Regularisation.OnClick = [this] { Opt_Regularisation_Click(); };
  Mnu_Sommaire.OnClick = [this] { Mnu_Sommaire_Click(); };
  surface_->OnMouseDown = [this](int& b, int& s, float& x, float& y) {
    UserControl_MouseDown(b, s, x, y);
  };

  // A record mark typed (a key code the screen cannot encode as a character) or pasted into a
  // field would shift every later attribute of the record it is stored in, or split the query it
  // is sent in: it is taken out, with the operator told, before any handler sees the text.
  for (screen::Control* field :
       {&Txt_CodRubSai, &Cbo_LibRubSai, &Txt_LibRubSai, &Txt_MontBaseRubSai, &Txt_MontTauxRubSai,
        &Txt_ValMontRubSai, &Txt_DebitRubSai, &Txt_CreditRubSai, &Cbo_DebitRubSai,
        &Cbo_CreditRubSai}) {
    field->OnChange = [this, field, handler = std::move(field->OnChange)] {
      if (TakeOutMarks(*field)) return;  // the corrected text has raised its own Change
      if (handler) handler();
    };
  }
}

bool Ctr_Talvero::TakeOutMarks(screen::Control& field) {
  const std::string text = field.Text();
  if (text.find_first_of(std::string{kAttrMark, kValueMark, kSubMark}) == std::string::npos)
    return false;
  // A mark byte starts no character: the continuation bytes after it go with it.
  std::string kept;
  bool in_mark = false;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == kAttrMark || c == kValueMark || c == kSubMark) {
      in_mark = true;
    } else if (!(in_mark && byte >= 0x80 && byte <= 0xBF)) {
      in_mark = false;
      kept += c;
    }
  }
  MsgBox(kMarkRefused, 48);
  field.SetText(kept);
  return true;
}

}  // namespace talvero
