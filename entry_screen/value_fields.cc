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

// A text that is not a number, or whose whole part has more digits than the field's format, can
// only arrive by pasting or typing past what the format holds. It is refused at once, before it is
// formatted or stored: the operator is told, the field emptied and the focus given back, so that
// no unreadable or oversized value ever reaches the record.
// Returns false when the text was refused.
bool AcceptNumber(Ctr_Talvero& screen, screen::Control& field, int integers, int decimals) {
  std::optional<double> value = records::ParseFrenchNumber(field.Text());
  std::string message;
  if (!records::WholePartDigits(field.Text())) {
    message = "La valeur saisie n'est pas un nombre, veuillez la ressaisir.";
  } else if (!value || std::fabs(std::round(*value * std::pow(10.0, decimals))) >=
                           std::pow(10.0, integers + decimals)) {
    // A number too large to be read at all has too many digits too.
    // Measured once rounded to the field's decimals, as the formatting will round it.
    message = "La valeur saisie ne peut avoir plus de " + std::to_string(integers) +
              " chiffres avant la virgule, veuillez la ressaisir.";
  } else {
    return true;
  }
  screen.GetScreen().MsgBox(message, 48, "Message ORVANEL");
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
  bool component = records::IsComponentBase(Cbo_TypBaseRubSai.Text());
  std::optional<double> value = records::ParseFrenchNumber(Txt_MontBaseRubSai.Text());
  if (component && value && std::floor(*value) > 100) {
    // Left as typed and without moving the focus: the save refuses it again with its own check.
    MsgBox("Vous ne pouvez saisir un taux de composante supérieur à 100 %.", 48);
    return;
  }
  if (!AcceptNumber(*this, Txt_MontBaseRubSai, kBaseIntegers, kBaseDecimals)) return;
  Txt_MontBaseRubSai.SetText(
      SharedOutils().FormaterZone(Txt_MontBaseRubSai, kBaseIntegers, kBaseDecimals));
}

void Ctr_Talvero::Txt_MontTauxRubSai_LostFocus() {
  if (Txt_MontTauxRubSai.Text().empty()) Txt_MontTauxRubSai.SetText("0");
  if (!AcceptNumber(*this, Txt_MontTauxRubSai, kRateIntegers, kRateDecimals)) return;
  Txt_MontTauxRubSai.SetText(
      SharedOutils().FormaterZone(Txt_MontTauxRubSai, kRateIntegers, kRateDecimals));
}

void Ctr_Talvero::Txt_ValMontRubSai_LostFocus() {
  if (Txt_ValMontRubSai.Text().empty()) Txt_ValMontRubSai.SetText("0");
  if (!AcceptNumber(*this, Txt_ValMontRubSai, kAmountIntegers, kAmountDecimals)) return;
  Txt_ValMontRubSai.SetText(
      SharedOutils().FormaterZone(Txt_ValMontRubSai, kAmountIntegers, kAmountDecimals));
}

}  // namespace talvero
