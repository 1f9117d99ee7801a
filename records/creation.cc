// Turning the screen into a record for a creation. Both procedures write the same attributes with
// the same encodings; they differ only where noted, because a reserved-range creation keeps the
// detail already in its working record and always states a modulation.
#include <string>

#include "component/ctr_talvero.h"
#include "component/object_access.h"
#include "records/code_tables.h"

namespace talvero {
namespace {

using namespace records;

void FillFromScreen(Ctr_Talvero& s, DBADynArray& rec, bool reserved) {
  rec.Set(kLibelle, 1, s.Txt_LibRubSai.Text());
  // A benefit type or an expense type means nothing outside its own field of application.
  if (s.CodeChpAppli != 0) s.CodeTypAvNat.clear();
  rec.Set(kChampApplication, 1, std::to_string(s.CodeChpAppli));
  rec.Set(kTypeAvantageNature, 1, s.CodeTypAvNat);
  int automatic = s.Cac_AutoRubSai.Value();
  if (s.CodeTypBase == 2 || s.CodeTypBase == 3) automatic = 1;  // a component is always computed
  rec.Set(kAutomatique, 1, std::to_string(automatic));
  rec.Set(kSigne, 1, s.Opt_AjoutRubSai.Value() ? "+" : "-");
  rec.Set(kTypeBase, 1, std::to_string(s.CodeTypBase));
  rec.Set(kBase, 1, ScaledFromScreen(s.Txt_MontBaseRubSai.Text(), 100));
  rec.Set(kTypeTaux, 1, std::to_string(s.CodeTypTaux));
  rec.Set(kTaux, 1, ScaledFromScreen(s.Txt_MontTauxRubSai.Text(), 10000));
  rec.Set(kTypeMontant, 1, std::to_string(s.CodeTypMont));
  rec.Set(kMontant, 1, ScaledFromScreen(s.Txt_ValMontRubSai.Text(), 100));
  const bool accounts = reserved || s.ComptesActifs;
  rec.Set(kCompteDebit, 1, accounts ? s.Txt_DebitRubSai.Text() : "");
  rec.Set(kCompteCredit, 1, accounts ? s.Txt_CreditRubSai.Text() : "");
  if (s.Cdr_Modulation.Enabled()) {
    if (s.Opt_Incluse.Value()) rec.Set(kModulation, 1, "0");
    if (s.Opt_Excluse.Value()) rec.Set(kModulation, 1, "1");
    if (s.Opt_Regularisation.Value()) rec.Set(kModulation, 1, "2");
  } else if (reserved) {
    rec.Set(kModulation, 1, "0");
  }
  if (s.CodeChpAppli != 2) s.CodeTypeFraisProf.clear();
  rec.Set(kTypeFraisProf, 1, s.CodeTypeFraisProf);
  if (s.Opt_HresNormales.Value()) rec.Set(kTypeHeures, 1, "0");
  if (s.Opt_HresCompl.Value()) rec.Set(kTypeHeures, 1, "1");
  if (s.Opt_HresSupp.Value()) rec.Set(kTypeHeures, 1, "2");
  rec.Set(kTelegeree, 1, std::to_string(s.Cac_telegere.Value()));
  rec.Set(kCaractereAnnuel, 1, std::to_string(s.Cac_CaractereAnnuel.Value()));
  rec.Set(kPrevoyanceMaintien, 1, std::to_string(s.Cac_PrevMaintien.Value()));
  rec.Set(kTravailNuit, 1, std::to_string(s.Cac_RubNuit.Value()));
  rec.Set(kNePasFacturer, 1,
          s.NePasFacturerActif ? std::to_string(s.Cac_RubNePasFacturer.Value()) : "0");
}

}  // namespace

void Ctr_Talvero::MAJ_Creation() {
  DBADynArray& rec = Obj(EnrRubSaisie);
  FillFromScreen(*this, rec, false);
  // The detail comes from the working record, up to its first gap; with none, an automatic
  // creation removes nothing from its base.
  if (!EnrCreation) {
    rec.Set(kSensDetail, "R");
  } else {
    rec.Set(kSensDetail, EnrCreation->Get(kSensDetail));
    // The record may already hold a detail copied when the detail window was opened: a code the
    // operator has since removed must not survive under the new ones.
    rec.Set(kRubriquesDetail, "");
    for (int i = 1; !EnrCreation->Get(kRubriquesDetail, i).empty(); ++i)
      rec.Set(kRubriquesDetail, i, EnrCreation->Get(kRubriquesDetail, i));
  }
}

void Ctr_Talvero::MAJ_CreationOrvanel(DynArrayPtr& W_TabDynTemp) {
  FillFromScreen(*this, Obj(W_TabDynTemp), true);
}

}  // namespace talvero
