// The type selectors. Their Change handlers run on every change of text (typing, loading,
// emptying) and only show or hide what depends on them; the Click handlers run on a pick from
// the list (or an assigned list position) and may also enforce a rule with a message, because a
// pick is a finished choice while typed text may still be on its way to another item.
#include <optional>
#include <string>
#include <vector>

#include "component/ctr_talvero.h"
#include "records/code_tables.h"

namespace talvero {
namespace {

const char kPoints[] = "Fixe - nombre de points";
const char kPointsOnlyMessage[] =
    "Le type de taux 'Fixe - nombre de points' est possible seulement pour le champ "
    "d'application 'Inclus dans brut montant'.";

bool IsDirectLabour(const std::string& champ_application) {
  return champ_application == "Main d'oeuvre directe" ||
         champ_application == "Main d'oeuvre directe Dim. et J.F.";
}

// A typed text is accepted only when it is one of the selector's own list items, compared from
// the first item on.
bool InList(const screen::Control& selector, const std::string& text) {
  for (int i = 0; i < selector.ListCount(); ++i) {
    if (selector.List(i) == text) return true;
  }
  return false;
}

}  // namespace

// ---- Rule 1: field of application.

void Ctr_Talvero::Cbo_ChpAppliRubSai_Change() {
  Cbo_TypeFraisProf.SetText("");
  Cbo_TypAvNatRubSai.SetText("");
  const std::string field = Cbo_ChpAppliRubSai.Text();
  if (field == "Avantage en nature") {
    Etq_TypAvNatRubSai.SetVisible(true);
    Cbo_TypAvNatRubSai.SetVisible(true);
    Cbo_TypeFraisProf.SetVisible(false);
  } else if (field == "Frais professionnels") {
    Etq_TypAvNatRubSai.SetVisible(true);
    Cbo_TypeFraisProf.SetVisible(true);
    Cbo_TypAvNatRubSai.SetVisible(false);
  } else {
    // Neither type applies any more: forget both so that no stale letter is written.
    CodeTypAvNat.clear();
    CodeTypeFraisProf.clear();
    Etq_TypAvNatRubSai.SetVisible(false);
    Cbo_TypAvNatRubSai.SetVisible(false);
    Cbo_TypeFraisProf.SetVisible(false);
  }
  bool modulation = field == "Inclus dans brut base et montant" ||
                    field == "Main d'oeuvre directe Dim. et J.F." ||
                    field == "Main d'oeuvre directe";
  Griser(modulation);
}

void Ctr_Talvero::Cbo_ChpAppliRubSai_Click() {
  Cbo_ChpAppliRubSai_Change();
  // Direct labour is never telemanaged; only a finished choice from the list clears the box.
  if (IsDirectLabour(Cbo_ChpAppliRubSai.Text())) {
    Cac_telegere.SetValue(0);
    Cac_telegere.SetVisible(false);
  } else {
    Cac_telegere.SetVisible(true);
  }
}

// ---- Rule 2: base type.

void Ctr_Talvero::Cbo_TypBaseRubSai_Change() {
  const std::string type = Cbo_TypBaseRubSai.Text();
  bool component = records::IsComponentBase(type);
  if (type == "Fixe" || component) {
    Etq_PrcMontBaseRubSai.SetVisible(component);
    Cmd_DetailRubSai.SetVisible(component);
    Txt_MontBaseRubSai.SetEnabled(true);
    Txt_MontBaseRubSai.SetVisible(true);
    Txt_MontBaseRubSai.SetFocus();
  } else {
    Txt_MontBaseRubSai.SetText("");
    Txt_MontBaseRubSai.SetVisible(false);
    Etq_PrcMontBaseRubSai.SetVisible(false);
    Cmd_DetailRubSai.SetVisible(false);
  }
  Appliquer_TauxPoints();
}

void Ctr_Talvero::Cbo_TypBaseRubSai_Click() {
  Cbo_TypBaseRubSai_Change();
}

// ---- Rule 3: rate type.

namespace {

// The focus goes to the rate field before the amount type is decided, as the operator sees it:
// with a rate in points and no base, the amount's own rule then takes the focus on its way.
void ApplyRateType(Ctr_Talvero& screen, bool picked) {
  const std::string type = screen.Cbo_TypTauxRubSai.Text();
  screen::Control& rate = screen.Txt_MontTauxRubSai;
  if (type == "Fixe - montant" || type == kPoints) {
    rate.SetEnabled(true);
    rate.SetVisible(true);
    screen.Etq_Taux.SetVisible(false);
    if (picked) rate.SetFocus();
  } else if (type == "Taux horaire") {
    // An hourly rate is a percentage of the employee's hourly rate, 100 % unless changed.
    rate.SetVisible(true);
    rate.SetText("100,0000");
    screen.Etq_Taux.SetVisible(true);
  } else {
    rate.SetText("");
    rate.SetVisible(false);
    screen.Etq_Taux.SetVisible(false);
  }
  screen.Appliquer_TauxPoints();
}

}  // namespace

void Ctr_Talvero::Cbo_TypTauxRubSai_Change() {
  ApplyRateType(*this, false);
}

void Ctr_Talvero::Cbo_TypTauxRubSai_Click() {
  ApplyRateType(*this, true);
  if (Cbo_TypTauxRubSai.Text() == kPoints &&
      Cbo_ChpAppliRubSai.Text() != "Inclus dans brut montant") {
    MsgBox(kPointsOnlyMessage, 48);
    Cbo_TypTauxRubSai.SetListIndex(-1);
    Cbo_TypTauxRubSai.SetFocus();
  }
}

// ---- Rule 4: amount type.

void Ctr_Talvero::Cbo_TypMontRubSai_Change() {
  const std::string type = Cbo_TypMontRubSai.Text();
  if (type == "Fixe") {
    Txt_ValMontRubSai.SetEnabled(true);
    Txt_ValMontRubSai.SetVisible(true);
    Txt_ValMontRubSai.SetFocus();
  } else if (type == "A saisir" || type == "Résultat base par taux") {
    Txt_ValMontRubSai.SetText("");
    Txt_ValMontRubSai.SetVisible(false);
  }
}

void Ctr_Talvero::Cbo_TypMontRubSai_Click() {
  Cbo_TypMontRubSai_Change();
}

// ---- Rule 5: a rate in points decides the amount type.

void Ctr_Talvero::Appliquer_TauxPoints() {
  if (Cbo_TypTauxRubSai.Text() == kPoints) {
    Cbo_TypMontRubSai.SetEnabled(false);
    if (Cbo_TypBaseRubSai.Text() != "Pas de base") {
      Cbo_TypMontRubSai.SetListIndex(2);  // "Résultat base par taux"
      CodeTypMont = 2;
    } else {
      // Points without a base: the amount is fixed at zero and the operator never sees it.
      Cbo_TypMontRubSai.SetListIndex(1);  // "Fixe"
      CodeTypMont = 1;
      Txt_ValMontRubSai.SetText("0");
      Txt_ValMontRubSai.SetVisible(false);
    }
    return;
  }
  // In search and deleted-item modes the rate type is disabled and the amount type must stay so.
  if (!Cbo_TypTauxRubSai.Enabled()) return;
  Cbo_TypMontRubSai.SetEnabled(true);
  if (Cbo_TypMontRubSai.Text() == "Fixe") {
    const std::string amount = Txt_ValMontRubSai.Text();
    if (amount == "0" || amount == "0,00") Txt_ValMontRubSai.SetText("");
    Txt_ValMontRubSai.SetVisible(true);
  }
}

// ---- Codes and list check on leaving a selector.

namespace {

// Step 1 of every check: the code follows the text only when the text is one of the items, so a
// refused text keeps the code of the last accepted one.
template <typename Code>
void CheckSelector(Ctr_Talvero& screen, screen::Control& selector,
                   const std::optional<Code>& code_of_text, Code& code,
                   const std::string& message) {
  if (code_of_text) code = *code_of_text;
  const std::string text = selector.Text();
  if (text.empty() || InList(selector, text)) return;
  screen.GetScreen().MsgBox(message, 48, "Message ORVANEL");
  selector.SetText("");
  selector.SetFocus();
}

template <typename Code>
std::optional<Code> IntegerCode(const std::vector<std::string>& texts, const std::string& text) {
  std::optional<int> code = records::CodeOfText(texts, text);
  if (!code) return std::nullopt;
  return static_cast<Code>(*code);
}

}  // namespace

void Ctr_Talvero::Cbo_ChpAppliRubSai_LostFocus() {
  CheckSelector(*this, Cbo_ChpAppliRubSai,
                IntegerCode<int16_t>(records::ChampApplicationTexts(), Cbo_ChpAppliRubSai.Text()),
                CodeChpAppli, "Le champ d'application saisi n'existe pas, veuillez le ressaisir.");
}

void Ctr_Talvero::Cbo_TypAvNatRubSai_LostFocus() {
  CheckSelector(
      *this, Cbo_TypAvNatRubSai,
      records::LetterOfText(records::TypeAvantageNatureTable(), Cbo_TypAvNatRubSai.Text()),
      CodeTypAvNat, "Le type d'avantage en nature saisi n'existe pas, veuillez le ressaisir.");
}

void Ctr_Talvero::Cbo_TypeFraisProf_LostFocus() {
  CheckSelector(*this, Cbo_TypeFraisProf,
                records::LetterOfText(records::TypeFraisProfTable(), Cbo_TypeFraisProf.Text()),
                CodeTypeFraisProf,
                "Le type de frais professionnels saisi n'existe pas, veuillez le ressaisir.");
}

void Ctr_Talvero::Cbo_TypBaseRubSai_LostFocus() {
  CheckSelector(*this, Cbo_TypBaseRubSai,
                IntegerCode<int16_t>(records::TypeBaseTexts(), Cbo_TypBaseRubSai.Text()),
                CodeTypBase, "Le type de base saisi n'existe pas, veuillez le ressaisir.");
}

void Ctr_Talvero::Cbo_TypTauxRubSai_LostFocus() {
  CheckSelector(*this, Cbo_TypTauxRubSai,
                IntegerCode<int16_t>(records::TypeTauxTexts(), Cbo_TypTauxRubSai.Text()),
                CodeTypTaux, "Le type de taux saisi n'existe pas, veuillez le ressaisir.");
}

void Ctr_Talvero::Cbo_TypMontRubSai_LostFocus() {
  CheckSelector(*this, Cbo_TypMontRubSai,
                IntegerCode<int16_t>(records::TypeMontantTexts(), Cbo_TypMontRubSai.Text()),
                CodeTypMont, "Le type de montant saisi n'existe pas, veuillez le ressaisir.");
}

// ---- Right click on the sign frame: the same menu as on the screen's background.

void Ctr_Talvero::Cdr_SigneRubSai_MouseDown(int& Button, int& Shift, float& x, float& y) {
  if (Button != 2) return;
  UserControl_MouseDown(Button, Shift, x, y);
}

}  // namespace talvero
