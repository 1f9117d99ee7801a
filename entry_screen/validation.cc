// The checks that stand between what the operator typed and the database, and the copy of the
// screen into the record buffer that the exit compares with the record as loaded. The checks
// report through ErreurSaisie only: the first fault is shown, the focus goes where it can be
// corrected, and the caller writes nothing.
#include <cmath>
#include <optional>
#include <string>

#include "component/ctr_talvero.h"
#include "component/object_access.h"
#include "records/code_tables.h"

namespace talvero {
namespace {

using namespace records;

constexpr int kStyleInformation = 64;
constexpr int kStyleExclamation = 48;

// A visible base field that holds no number (emptied and never left) counts as 0, so that an
// item is never saved with a base nobody typed.
double BaseValue(const std::string& text) {
  return ParseFrenchNumber(text).value_or(0.0);
}

}  // namespace

void Ctr_Talvero::Zones_Oblig() {
  ErreurSaisie = false;
  auto fail = [this](const std::string& message, screen::Control* focus) {
    MsgBox(message, kStyleInformation);
    if (focus) focus->SetFocus();
    ErreurSaisie = true;
  };
  const std::string field = Cbo_ChpAppliRubSai.Text();
  const std::string base_type = Cbo_TypBaseRubSai.Text();
  const bool component = IsComponentBase(base_type);

  if (Txt_LibRubSai.Text().empty())
    return fail("Le libellé de la rubrique est obligatoire.", &Txt_LibRubSai);
  if (field.empty())
    return fail("Le champ d'application de la rubrique est obligatoire.", &Cbo_ChpAppliRubSai);
  if (field == "Avantage en nature" && Cbo_TypAvNatRubSai.Text().empty())
    return fail("Le type d'Avantage en nature doit être renseigné.", &Cbo_TypAvNatRubSai);
  if (field == "Frais professionnels" && Cbo_TypeFraisProf.Text().empty())
    return fail("Le type de frais professionnels doit être renseigné.", &Cbo_TypeFraisProf);
  if (base_type.empty()) return fail("La base doit être renseignée.", &Cbo_TypBaseRubSai);
  if (Cbo_TypTauxRubSai.Text().empty())
    return fail("Le taux horaire doit être renseigné.", &Cbo_TypTauxRubSai);
  if (Cbo_TypMontRubSai.Text().empty())
    return fail("Le montant doit être renseigné.", &Cbo_TypMontRubSai);
  const bool base_shown = Txt_MontBaseRubSai.Visible();
  const double base = BaseValue(Txt_MontBaseRubSai.Text());
  // Below one hundredth the stored base (times 100) would be 0.
  if (base_shown && std::floor(base * 100) == 0) {
    return fail(component ? "Le pourcentage de composante doit être différent de 0."
                          : "La base doit être différente de 0.",
                &Cbo_TypBaseRubSai);
  }
  // The value fields are formatted on leaving; only a bare "0" is refused here.
  if (Txt_MontTauxRubSai.Text() == "0")
    return fail("Le taux horaire doit être différent de 0.", &Cbo_TypTauxRubSai);
  if (Txt_ValMontRubSai.Text() == "0")
    return fail("Le montant doit être différent de 0.", &Cbo_TypMontRubSai);
  // A component percentage of 100 (what loading shows for a component stored without a value)
  // and anything below 101 passes.
  if (base_shown && component && std::floor(base) > 100) {
    return fail("Le taux de composante doit être inférieur à 100 %",
                Txt_MontBaseRubSai.Enabled() ? &Txt_MontBaseRubSai : nullptr);
  }
}

void Ctr_Talvero::Verification_Combo() {
  // One save shows one message: a fault already reported by Zones_Oblig stops here.
  if (ErreurSaisie) return;
  const std::string b = Cbo_TypBaseRubSai.Text();
  const std::string t = Cbo_TypTauxRubSai.Text();
  const std::string m = Cbo_TypMontRubSai.Text();
  const bool no_base = b == "Pas de base";
  const bool no_rate = t == "Pas de taux";
  const bool points = t == "Fixe - nombre de points";
  auto fail = [this](const std::string& message, screen::Control& focus, int style) {
    MsgBox(message, style);
    focus.SetFocus();
    ErreurSaisie = true;
  };

  if (no_base && no_rate && m != "A saisir" && m != "Fixe")
    return fail("Le montant doit être de type 'A saisir' ou 'Fixe'.", Cbo_TypMontRubSai,
                kStyleInformation);
  if (no_base && !no_rate && !points)
    return fail("Le taux horaire doit être de type 'Pas de taux'.", Cbo_TypTauxRubSai,
                kStyleInformation);
  if (!no_base && no_rate)
    return fail("Le taux horaire doit être différent de 'Pas de taux'.", Cbo_TypTauxRubSai,
                kStyleInformation);
  if (!no_base && points && m == "A saisir")
    return fail("Le montant doit être différent de 'A saisir'.", Cbo_TypMontRubSai,
                kStyleInformation);
  if (!no_base && !no_rate && !points && (m == "A saisir" || m == "Fixe"))
    return fail("Le montant doit être différent de 'A saisir' ou 'Fixe'.", Cbo_TypMontRubSai,
                kStyleInformation);
  if (points && Cbo_ChpAppliRubSai.Text() != "Inclus dans brut montant")
    return fail(
        "Le type de taux 'Fixe - nombre de points' est possible seulement pour le champ "
        "d'application 'Inclus dans brut montant'.",
        Cbo_TypTauxRubSai, kStyleExclamation);
}

void Ctr_Talvero::Verification() {
  DBADynArray& rec = Obj(EnrRubSaisie);
  // The label of a deleted item is shown with the deleted marker, which is never stored.
  std::string label = Txt_LibRubSai.Text();
  if (rec.Get(kSupprimee) == "1") {
    label = label.size() > kDeletedSuffix.size()
                ? label.substr(0, label.size() - kDeletedSuffix.size())
                : "";
  }
  rec.Set(kLibelle, 1, label);
  rec.Set(kChampApplication, 1, std::to_string(CodeChpAppli));
  rec.Set(kTypeAvantageNature, 1, CodeTypAvNat);
  rec.Set(kAutomatique, 1, std::to_string(Cac_AutoRubSai.Value()));
  rec.Set(kCaractereAnnuel, std::to_string(Cac_CaractereAnnuel.Value()));
  rec.Set(kPrevoyanceMaintien, std::to_string(Cac_PrevMaintien.Value()));
  rec.Set(kTravailNuit, std::to_string(Cac_RubNuit.Value()));
  rec.Set(kSigne, 1, Opt_AjoutRubSai.Value() ? "+" : "-");
  rec.Set(kTypeBase, 1, std::to_string(CodeTypBase));
  rec.Set(kBase, 1, ScaledFromScreen(Txt_MontBaseRubSai.Text(), 100));
  rec.Set(kTypeTaux, 1, std::to_string(CodeTypTaux));
  rec.Set(kTaux, 1, ScaledFromScreen(Txt_MontTauxRubSai.Text(), 10000));
  rec.Set(kTypeMontant, 1, std::to_string(CodeTypMont));
  rec.Set(kMontant, 1, ScaledFromScreen(Txt_ValMontRubSai.Text(), 100));
  if (ComptesActifs) {
    rec.Set(kCompteDebit, 1, Txt_DebitRubSai.Text());
    rec.Set(kCompteCredit, 1, Txt_CreditRubSai.Text());
  }
  // Without a working record (a creation after OK or Annuler) there is no edited detail to
  // compare, so the buffer keeps its own.
  if (EnrCreation) {
    rec.Set(kSensDetail, EnrCreation->Get(kSensDetail));
    rec.Set(kRubriquesDetail, "");
    for (int i = 1; !EnrCreation->Get(kRubriquesDetail, i).empty(); ++i)
      rec.Set(kRubriquesDetail, i, EnrCreation->Get(kRubriquesDetail, i));
  }
  if (Cdr_Modulation.Enabled()) {
    if (Opt_Incluse.Value()) rec.Set(kModulation, 1, "0");
    if (Opt_Excluse.Value()) rec.Set(kModulation, 1, "1");
    if (Opt_Regularisation.Value()) rec.Set(kModulation, 1, "2");
  }
  if (Opt_HresNormales.Value()) {
    rec.Set(kTypeHeures, 1, "0");
  } else if (Opt_HresCompl.Value()) {
    rec.Set(kTypeHeures, 1, "1");
  } else if (Opt_HresSupp.Value()) {
    rec.Set(kTypeHeures, 1, "2");
  }
  rec.Set(kTelegeree, 1, std::to_string(Cac_telegere.Value()));
  rec.Set(kTypeFraisProf, 1, CodeTypeFraisProf);
  rec.Set(kNePasFacturer,
          NePasFacturerActif ? std::to_string(Cac_RubNePasFacturer.Value()) : std::string("0"));
}

}  // namespace talvero
