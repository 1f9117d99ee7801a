// Loading an entry item onto the screen. The record is read and every number it must hold is
// checked before anything is shown or kept, so that an unreadable record is refused as a whole
// with a message naming its code and attribute, and never leaves half an item on the screen or in
// the buffers.
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/ctr_talvero.h"
#include "component/object_access.h"
#include "gateways/dba_error.h"
#include "gateways/tools.h"
#include "records/code_tables.h"

namespace talvero {
namespace {

using records::Attr;

class RecordCheck {
 public:
  RecordCheck(const DBADynArray& record, std::string code)
      : record_(record), code_(std::move(code)) {}

  // An integer attribute that must hold a code of its list (0 to count - 1).
  void ListCode(Attr attr, size_t count) const {
    long code = Integer(attr);
    if (code < 0 || code >= static_cast<long>(count)) {
      Refuse(kErrSubscript, attr, "n'est pas un code de sa liste");
    }
  }
  // A check box: 0 or 1, read from value 1 or, for the attributes the loader reads whole, from
  // the whole attribute.
  void CheckBox(Attr attr, bool whole = false) const {
    long value = Integer(attr, whole);
    if (value != 0 && value != 1) Refuse(kErrConversion, attr, "n'est pas 0 ou 1");
  }
  // A stored number; the empty value is allowed when `optional`.
  void Number(Attr attr, bool optional) const {
    const std::string text = record_.Get(attr, 1);
    if (optional && text.empty()) return;
    try {
      records::UnscaledFromStore(text, 1);
    } catch (const ComponentError&) {
      Refuse(kErrConversion, attr, "n'est pas un nombre");
    }
  }

 private:
  long Integer(Attr attr, bool whole = false) const {
    try {
      return records::StoredInteger(whole ? record_.Get(attr) : record_.Get(attr, 1));
    } catch (const ComponentError&) {
      Refuse(kErrConversion, attr, "n'est pas un nombre entier");
    }
    return 0;
  }
  [[noreturn]] void Refuse(int32_t number, Attr attr, const std::string& why) const {
    std::string content = record_.Get(attr);
    std::replace(content.begin(), content.end(), kValueMark, ']');
    throw ComponentError(
        number, "La rubrique de saisie " + code_ + " ne peut pas être affichée : l'attribut " +
                    std::to_string(static_cast<int>(attr)) + " (\"" + content + "\") " + why + ".");
  }

  const DBADynArray& record_;
  std::string code_;
};

// Everything the loader converts, checked on the record as read. Attributes 21 and 22 may be
// empty (older records): they then read as unchecked.
void CheckLoadable(const DBADynArray& rec, const std::string& code, bool billing_option) {
  RecordCheck check(rec, code);
  check.ListCode(records::kChampApplication, records::ChampApplicationTexts().size());
  check.ListCode(records::kTypeBase, records::TypeBaseTexts().size());
  check.ListCode(records::kTypeTaux, records::TypeTauxTexts().size());
  check.ListCode(records::kTypeMontant, records::TypeMontantTexts().size());
  check.CheckBox(records::kAutomatique);
  if (!rec.Get(records::kCaractereAnnuel).empty()) check.CheckBox(records::kCaractereAnnuel, true);
  if (!rec.Get(records::kPrevoyanceMaintien).empty()) {
    check.CheckBox(records::kPrevoyanceMaintien, true);
  }
  check.CheckBox(records::kTravailNuit, true);
  if (billing_option) check.CheckBox(records::kNePasFacturer, true);
  if (!rec.Get(records::kTelegeree, 1).empty()) check.CheckBox(records::kTelegeree);
  check.Number(records::kBase, true);
  check.Number(records::kTaux, true);
  check.Number(records::kMontant, true);
  check.Number(records::kTypeHeures, true);
}

int IntegerOf(const std::string& text) {
  return static_cast<int>(records::StoredInteger(text));
}

}  // namespace

void Ctr_Talvero::Afficher_Donnees() {
  const std::string code = Txt_CodRubSai.Text();
  DynArrayPtr read = Obj(FicRubSaisie).DBRead(code);
  CheckLoadable(Obj(read), code, NePasFacturerActif);
  EnrRubSaisie = read;
  DBADynArray& rec = *EnrRubSaisie;

  // Defaults of the buffer only, before the snapshot: a record that lacks them is not "changed"
  // by being looked at.
  if (rec.Get(records::kCaractereAnnuel).empty()) rec.Set(records::kCaractereAnnuel, "0");
  if (rec.Get(records::kPrevoyanceMaintien).empty()) rec.Set(records::kPrevoyanceMaintien, "0");
  EnrOrigine = rec.Get();

  // The label shown is the one the caller put in the label list, not attribute 1.
  Masquer_Combo();

  CodeChpAppli = static_cast<int16_t>(IntegerOf(rec.Get(records::kChampApplication, 1)));
  CodeTypAvNat = rec.Get(records::kTypeAvantageNature, 1);
  CodeTypBase = static_cast<int16_t>(IntegerOf(rec.Get(records::kTypeBase, 1)));
  CodeTypTaux = static_cast<int16_t>(IntegerOf(rec.Get(records::kTypeTaux, 1)));
  CodeTypMont = static_cast<int16_t>(IntegerOf(rec.Get(records::kTypeMontant, 1)));
  CodeTypeFraisProf = rec.Get(records::kTypeFraisProf, 1);

  // Each selector's Change handler runs as its text is set, before its value is shown. A selector
  // shows the type the record holds, not its code variable: a handler that ran meanwhile (a rate
  // in points sets the amount type) may have changed that code, and an older record that breaks a
  // rule must show what it holds so that the checks before saving refuse it.
  auto stored_position = [&rec](records::Attr attr) { return IntegerOf(rec.Get(attr, 1)); };
  Cbo_ChpAppliRubSai.SetText(Cbo_ChpAppliRubSai.List(stored_position(records::kChampApplication)));
  Afficher_Conversion();

  Cac_AutoRubSai.SetValue(IntegerOf(rec.Get(records::kAutomatique, 1)));
  Cac_CaractereAnnuel.SetValue(IntegerOf(rec.Get(records::kCaractereAnnuel)));
  Cac_PrevMaintien.SetValue(IntegerOf(rec.Get(records::kPrevoyanceMaintien)));
  Cac_RubNuit.SetValue(IntegerOf(rec.Get(records::kTravailNuit)));

  if (rec.Get(records::kSigne, 1) == "+") {
    Opt_AjoutRubSai.SetValue(1);
  } else {
    Opt_DedRubSai.SetValue(1);
  }

  Cbo_TypBaseRubSai.SetText(Cbo_TypBaseRubSai.List(stored_position(records::kTypeBase)));
  bool component = records::IsComponentBase(Cbo_TypBaseRubSai.Text());
  const std::string base = rec.Get(records::kBase, 1);
  if (!base.empty()) {
    // A component base is a percentage: three integer digits are enough.
    Txt_MontBaseRubSai.SetText(SharedOutils().FormatNombre(
        records::FrenchText(records::UnscaledFromStore(base, 100)), component ? 3 : 5, 2, 0));
  } else if (component) {
    Txt_MontBaseRubSai.SetText("100,00");
    rec.Set(records::kBase, 1, "10000");
  }

  Cbo_TypTauxRubSai.SetText(Cbo_TypTauxRubSai.List(stored_position(records::kTypeTaux)));
  const std::string rate = rec.Get(records::kTaux, 1);
  if (!rate.empty()) {
    Txt_MontTauxRubSai.SetText(records::FrenchText(records::UnscaledFromStore(rate, 10000)));
  }

  Cbo_TypMontRubSai.SetText(Cbo_TypMontRubSai.List(stored_position(records::kTypeMontant)));
  const std::string amount = rec.Get(records::kMontant, 1);
  if (!amount.empty()) {
    Txt_ValMontRubSai.SetText(records::FrenchText(records::UnscaledFromStore(amount, 100)));
  }

  if (ComptesActifs) {
    Txt_DebitRubSai.SetText(rec.Get(records::kCompteDebit, 1));
    Txt_CreditRubSai.SetText(rec.Get(records::kCompteCredit, 1));
  }

  // Setting an option raises its Click, whose handler clears the other two.
  const std::string modulation = rec.Get(records::kModulation, 1);
  if (modulation.empty() || modulation == "0") {
    Opt_Incluse.SetValue(1);
  } else if (modulation == "1") {
    Opt_Excluse.SetValue(1);
  } else if (modulation == "2") {
    Opt_Regularisation.SetValue(1);
  }

  if (rec.Get(records::kTypeHeures, 1).empty()) rec.Set(records::kTypeHeures, 1, "0");
  double hours = records::UnscaledFromStore(rec.Get(records::kTypeHeures, 1), 1);
  if (hours == 0) {
    Opt_HresNormales.SetValue(1);
  } else if (hours == 1) {
    Opt_HresCompl.SetValue(1);
  } else {
    Opt_HresSupp.SetValue(1);
  }

  const std::string telemanaged = rec.Get(records::kTelegeree, 1);
  Cac_telegere.SetValue(telemanaged.empty() ? 0 : IntegerOf(telemanaged));

  // The detail is copied up to its first gap: the detail window and the writer both read it that
  // way, so values after a gap would never be shown nor kept.
  EnrCreation = std::make_shared<DBADynArray>();
  EnrCreation->Set(records::kSensDetail, rec.Get(records::kSensDetail));
  int i = 1;
  do {
    EnrCreation->Set(records::kRubriquesDetail, i, rec.Get(records::kRubriquesDetail, i));
    ++i;
  } while (!rec.Get(records::kRubriquesDetail, i).empty());

  if (!Txt_MontBaseRubSai.Text().empty()) Txt_MontBaseRubSai_LostFocus();
  if (!Txt_MontTauxRubSai.Text().empty()) Txt_MontTauxRubSai_LostFocus();
  if (!Txt_ValMontRubSai.Text().empty()) Txt_ValMontRubSai_LostFocus();

  Cac_RubNePasFacturer.SetValue(NePasFacturerActif ? IntegerOf(rec.Get(records::kNePasFacturer))
                                                   : 0);
}

void Ctr_Talvero::Afficher_Conversion() {
  // Each letter is tested on its own; an unknown or empty letter leaves the selector as the
  // field of application left it.
  const DBADynArray& rec = Obj(EnrRubSaisie);
  const std::string benefit = rec.Get(records::kTypeAvantageNature, 1);
  for (const records::LetterCode& code : records::TypeAvantageNatureTable()) {
    if (benefit == code.letter) Cbo_TypAvNatRubSai.SetText(Cbo_TypAvNatRubSai.List(code.position));
  }
  const std::string expense = rec.Get(records::kTypeFraisProf, 1);
  for (const records::LetterCode& code : records::TypeFraisProfTable()) {
    if (expense == code.letter) Cbo_TypeFraisProf.SetText(Cbo_TypeFraisProf.List(code.position));
  }
}

}  // namespace talvero
