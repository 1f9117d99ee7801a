// The base, rate and amount fields: keys are filtered and values put in their display format by
// the shared tools object, so that every screen of the payroll shows numbers the same way.
#include <cmath>
#include <optional>
#include <string>

#include "component/ctr_talvero.h"
#include "gateways/tools.h"
#include "records/code_tables.h"

namespace talvero {
namespace {

constexpr int kBaseIntegers = 5;
constexpr int kBaseDecimals = 2;
constexpr int kRateIntegers = 3;
constexpr int kRateDecimals = 4;
constexpr int kAmountIntegers = 5;
constexpr int kAmountDecimals = 2;

// A text that is not a number can only arrive by pasting past the key filter. It is refused at
// once, before it is formatted or stored: the operator is told, the field emptied and the focus
// given back, so that no unreadable value ever reaches the record.
// Returns false when the text was refused.
bool AcceptNumber(Ctr_Talvero& screen, screen::Control& field) {
  if (records::ParseFrenchNumber(field.Text())) return true;
  screen.GetScreen().MsgBox("La valeur saisie n'est pas un nombre, veuillez la ressaisir.", 48,
                            "Message ORVANEL");
  field.SetText("");
  field.SetFocus();
  return false;
}

}  // namespace

void Ctr_Talvero::Txt_MontBaseRubSai_KeyPress(int& KeyAscii) {
  SharedOutils().FiltrerTouche(Txt_MontBaseRubSai, KeyAscii, 0);
}

void Ctr_Talvero::Txt_MontTauxRubSai_KeyPress(int& KeyAscii) {
  SharedOutils().FiltrerTouche(Txt_MontTauxRubSai, KeyAscii, 0);
}

void Ctr_Talvero::Txt_ValMontRubSai_KeyPress(int& KeyAscii) {
  SharedOutils().FiltrerTouche(Txt_ValMontRubSai, KeyAscii, 0);
}

void Ctr_Talvero::Txt_MontBaseRubSai_LostFocus() {
  if (Txt_MontBaseRubSai.Text().empty()) Txt_MontBaseRubSai.SetText("0");
  if (!AcceptNumber(*this, Txt_MontBaseRubSai)) return;
  bool component = records::IsComponentBase(Cbo_TypBaseRubSai.Text());
  double whole = std::floor(records::FrenchNumber(Txt_MontBaseRubSai.Text()));
  if (component && whole > 100) {
    // Left as typed and without moving the focus: the save refuses it again with its own check.
    MsgBox("Vous ne pouvez saisir un taux de composante supérieur à 100 %.", 48);
    return;
  }
  Txt_MontBaseRubSai.SetText(
      SharedOutils().FormaterZone(Txt_MontBaseRubSai, kBaseIntegers, kBaseDecimals));
}

void Ctr_Talvero::Txt_MontTauxRubSai_LostFocus() {
  if (Txt_MontTauxRubSai.Text().empty()) Txt_MontTauxRubSai.SetText("0");
  if (!AcceptNumber(*this, Txt_MontTauxRubSai)) return;
  Txt_MontTauxRubSai.SetText(
      SharedOutils().FormaterZone(Txt_MontTauxRubSai, kRateIntegers, kRateDecimals));
}

void Ctr_Talvero::Txt_ValMontRubSai_LostFocus() {
  if (Txt_ValMontRubSai.Text().empty()) Txt_ValMontRubSai.SetText("0");
  if (!AcceptNumber(*this, Txt_ValMontRubSai)) return;
  Txt_ValMontRubSai.SetText(
      SharedOutils().FormaterZone(Txt_ValMontRubSai, kAmountIntegers, kAmountDecimals));
}

}  // namespace talvero
