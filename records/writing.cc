// Writing an entry item: a modification of the item on screen, a creation under a code typed in
// the reserved range, or a creation under the next code of the counter. Whatever the path, a
// write that does not happen leaves the database, the buffers and the screen as they were, so
// that the operator can correct and save again.
#include <memory>
#include <optional>
#include <string>

#include "component/ctr_talvero.h"
#include "component/object_access.h"
#include "gateways/dba_error.h"
#include "gateways/tools.h"
#include "records/code_tables.h"

namespace talvero {
namespace {

using namespace records;

constexpr int kStyleExclamation = 48;
// The counter hands out codes up to 799: a counter at 799 would give 800, a code of the maker.
constexpr long kLastCounterAccepted = records::kFirstReservedCode - 2;
constexpr const char* kCounterId = "999";
constexpr int kCounterAttr = 3;

// The last code handed out, when the counter holds a whole number ("041", " 41").
std::optional<long> CounterValue(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  size_t last = text.find_last_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  const std::string digits = text.substr(first, last - first + 1);
  if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::stol(digits);
}

std::string ThreeDigits(long code) {
  std::string text = std::to_string(code);
  return std::string(text.size() < 3 ? 3 - text.size() : 0, '0') + text;
}

// The screen into the record of an existing item. Only attributes 1 to 17 and 19 to 24 are set,
// so the deleted mark and anything the system does not know are written back as read.
void CopyScreen(Ctr_Talvero& s, DBADynArray& rec) {
  rec.Set(kLibelle, 1, s.Txt_LibRubSai.Text());
  rec.Set(kChampApplication, 1, std::to_string(s.CodeChpAppli));
  // A benefit type or an expense type means nothing outside its own field of application.
  if (s.CodeChpAppli != 0) s.CodeTypAvNat.clear();
  rec.Set(kTypeAvantageNature, 1, s.CodeTypAvNat);
  if (s.CodeChpAppli != 2) s.CodeTypeFraisProf.clear();
  rec.Set(kTypeFraisProf, 1, s.CodeTypeFraisProf);
  rec.Set(kAutomatique, 1, std::to_string(s.Cac_AutoRubSai.Value()));
  rec.Set(kCaractereAnnuel, std::to_string(s.Cac_CaractereAnnuel.Value()));
  rec.Set(kPrevoyanceMaintien, std::to_string(s.Cac_PrevMaintien.Value()));
  rec.Set(kTravailNuit, std::to_string(s.Cac_RubNuit.Value()));
  rec.Set(kSigne, 1, s.Opt_AjoutRubSai.Value() ? "+" : "-");
  rec.Set(kTypeBase, 1, std::to_string(s.CodeTypBase));
  if (s.CodeTypBase == 2 || s.CodeTypBase == 3) rec.Set(kAutomatique, 1, "1");
  rec.Set(kBase, 1, ScaledFromScreen(s.Txt_MontBaseRubSai.Text(), 100));
  rec.Set(kTypeTaux, 1, std::to_string(s.CodeTypTaux));
  rec.Set(kTaux, 1, ScaledFromScreen(s.Txt_MontTauxRubSai.Text(), 10000));
  rec.Set(kTypeMontant, 1, std::to_string(s.CodeTypMont));
  rec.Set(kMontant, 1, ScaledFromScreen(s.Txt_ValMontRubSai.Text(), 100));
  rec.Set(kCompteDebit, 1, s.ComptesActifs ? s.Txt_DebitRubSai.Text() : "");
  rec.Set(kCompteCredit, 1, s.ComptesActifs ? s.Txt_CreditRubSai.Text() : "");
  // Without a working record nothing was edited in the detail window: the detail stays as read.
  if (s.EnrCreation) {
    rec.Set(kSensDetail, s.EnrCreation->Get(kSensDetail));
    rec.Set(kRubriquesDetail, "");
    // The detail ends at its first gap.
    for (int i = 1; !s.EnrCreation->Get(kRubriquesDetail, i).empty(); ++i)
      rec.Set(kRubriquesDetail, i, s.EnrCreation->Get(kRubriquesDetail, i));
  }
  if (!s.Cdr_Modulation.Enabled()) {
    rec.Set(kModulation, 1, "0");
  } else if (s.Opt_Incluse.Value()) {
    rec.Set(kModulation, 1, "0");
  } else if (s.Opt_Excluse.Value()) {
    rec.Set(kModulation, 1, "1");
  } else if (s.Opt_Regularisation.Value()) {
    rec.Set(kModulation, 1, "2");
  }
  if (s.Opt_HresNormales.Value()) {
    rec.Set(kTypeHeures, 1, "0");
  } else if (s.Opt_HresCompl.Value()) {
    rec.Set(kTypeHeures, 1, "1");
  } else if (s.Opt_HresSupp.Value()) {
    rec.Set(kTypeHeures, 1, "2");
  }
  rec.Set(kTelegeree, 1, std::to_string(s.Cac_telegere.Value()));
  rec.Set(kNePasFacturer,
          s.NePasFacturerActif ? std::to_string(s.Cac_RubNePasFacturer.Value()) : std::string("0"));
}

void ZeroWhenEmpty(DBADynArray& rec, int attr) {
  if (rec.Get(attr).empty()) rec.Set(attr, "0");
}

// Whether the changes on screen to an item of the reserved range may be written. An ordinary
// user may change only the label, the accounts and the values of fixed bases, rates and amounts;
// anything else needs one of the maker's users. The working record receives the screen image and
// the loaded record the parts an ordinary user may change: when the change is allowed, the write
// rebuilds the loaded record from the screen anyway.
bool ChangeAllowed(Ctr_Talvero& s) {
  DBADynArray& loaded = Obj(s.EnrRubSaisie);
  // The working record is made when the item is loaded; without one the screen image is compared
  // on its own, and no working record with an empty detail is left behind for the write.
  DynArrayPtr shown = s.EnrCreation ? s.EnrCreation : std::make_shared<DBADynArray>();
  s.MAJ_CreationOrvanel(shown);
  DBADynArray& e = *shown;
  if (s.ComptesActifs) {
    bool rest_same = true;
    for (int a : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 15, 16})
      rest_same = rest_same && loaded.Get(a, 1) == e.Get(a, 1);
    const bool accounts_changed = loaded.Get(kCompteDebit, 1) != e.Get(kCompteDebit, 1) ||
                                  loaded.Get(kCompteCredit, 1) != e.Get(kCompteCredit, 1);
    if (rest_same && accounts_changed) return true;
    loaded.Set(kCompteDebit, e.Get(kCompteDebit));
    loaded.Set(kCompteCredit, e.Get(kCompteCredit));
    loaded.Set(kLibelle, e.Get(kLibelle));
    if (s.CodeTypBase == 1 && loaded.Get(kTypeBase) == "1") loaded.Set(kBase, e.Get(kBase));
    if (s.CodeTypTaux == 1 && loaded.Get(kTypeTaux) == "1") loaded.Set(kTaux, e.Get(kTaux));
    if (loaded.Get(kTypeMontant) == "1") loaded.Set(kMontant, e.Get(kMontant));
  } else {
    // The screen shows no accounts, so they cannot count as a change.
    e.Set(kCompteDebit, loaded.Get(kCompteDebit));
    e.Set(kCompteCredit, loaded.Get(kCompteCredit));
    loaded.Set(kLibelle, e.Get(kLibelle));
  }
  // Older records may hold nothing where the screen always states a value.
  ZeroWhenEmpty(loaded, kModulation);
  ZeroWhenEmpty(loaded, kTelegeree);
  return loaded.Get() == e.Get() || SharedOutils().EstUtilisateur("OrVanel");
}

// A deleted item keeps its record, so its code is in use too.
bool CodeInUse(DBAFile& items, const std::string& code) {
  try {
    items.DBRead(code);
    return true;
  } catch (const ComponentError& e) {
    if (e.Number() == kErrRecordNotFound) return false;
    throw;
  }
}

enum class Allocation { kCode, kUnreadableCounter, kExhausted };

// Takes the next free code from the counter. Reading the counter, passing over every code already
// in use and writing the counter at the code taken are one transaction: another user allocating
// at the same moment waits, then starts after the code taken here. A code in use (an item typed
// in by hand or restored) is passed over rather than refused, since no operator can correct the
// counter from this screen. An exhausted counter keeps its record in EnrCompteur, as read.
Allocation AllocateCode(std::string& code) {
  Variables& v = Vars();
  Allocation outcome = Allocation::kUnreadableCounter;
  Obj(v.Base).DBTransaction([&] {
    std::optional<long> last;
    try {
      v.EnrCompteur = Obj(v.FicCompteur).DBRead(kCounterId);
      last = CounterValue(v.EnrCompteur->Get(kCounterAttr, 1));
    } catch (const ComponentError&) {
    }
    if (!last) {
      v.EnrCompteur.reset();
      outcome = Allocation::kUnreadableCounter;
      return;
    }
    long next = *last + 1;
    while (next <= kLastCounterAccepted + 1 && CodeInUse(Obj(v.FicRubSaisie), ThreeDigits(next)))
      ++next;
    if (next > kLastCounterAccepted + 1) {
      outcome = Allocation::kExhausted;
      return;
    }
    code = ThreeDigits(next);
    v.EnrCompteur->Set(kCounterAttr, 1, code);
    try {
      v.EnrCompteur->DBWrite();
    } catch (...) {
      v.EnrCompteur.reset();
      throw;
    }
    v.EnrCompteur.reset();
    outcome = Allocation::kCode;
  });
  return outcome;
}

}  // namespace

void Ctr_Talvero::Ecrire_Donnees() {
  Zones_Oblig();
  Verification_Combo();
  if (ErreurSaisie) return;

  // Stores a prepared image under a new code, never replacing an item that exists (which would
  // silently destroy an item other pay slips refer to); the item is then bound to its record.
  auto insert_new_item = [this](const std::string& code, const std::string& image) -> DynArrayPtr {
    bool inserted = false;
    try {
      inserted = Obj(FicRubSaisie).DBInsert(code, image);
    } catch (...) {
      ErreurSaisie = true;
      throw;
    }
    if (!inserted) {
      MsgBox("La rubrique " + code + " existe déjà : elle n'est pas remplacée.", kStyleExclamation);
      ErreurSaisie = true;
      return nullptr;
    }
    DynArrayPtr item = Obj(FicRubSaisie).DBRecord(code);
    item->Set(image);
    return item;
  };

  if (CreationReservee) {
    DynArrayPtr image = std::make_shared<DBADynArray>(EnrCreation ? EnrCreation->Get() : "");
    MAJ_CreationOrvanel(image);
    DynArrayPtr item = insert_new_item(Txt_CodRubSai.Text(), image->Get());
    if (!item) return;
    if (!EnrCreation) EnrCreation = std::make_shared<DBADynArray>();
    EnrCreation->Set(image->Get());
    EnrRubSaisie = item;
    CreationReservee = false;
  } else if (ModeCreation == 1) {
    // The screen is copied before any code is taken, so that a field that cannot be stored does
    // not use up a code.
    DBADynArray& prepared = Obj(EnrRubSaisie);
    const std::string before = prepared.Get();
    MAJ_Creation();
    const std::string image = prepared.Get();
    prepared.Set(before);  // the buffer changes only once the item is written

    // The counter is written before the item, so that a failed item write never hands the same
    // code out twice; the code is then simply skipped. The messages wait until the transaction
    // is over, so that no other user waits on an operator's answer.
    std::string code;
    Allocation allocation;
    try {
      allocation = AllocateCode(code);
    } catch (...) {
      ErreurSaisie = true;
      throw;
    }
    if (allocation == Allocation::kUnreadableCounter) {
      MsgBox(
          "Le compteur des rubriques est illisible (fichier COMPTEUR, enregistrement 999) : la "
          "rubrique n'est pas créée.",
          kStyleExclamation);
      ErreurSaisie = true;
      return;
    }
    if (allocation == Allocation::kExhausted) {
      MsgBox("Plus de place disponible pour créer une nouvelle rubrique.", kStyleExclamation);
      return;
    }
    DynArrayPtr item = insert_new_item(code, image);
    if (!item) return;
    if (!EnrCreation) EnrCreation = std::make_shared<DBADynArray>();
    EnrCreation->Set(image);
    EnrRubSaisie = item;
  } else {
    DBADynArray& rec = Obj(EnrRubSaisie);
    const std::string as_loaded = rec.Get();
    if (!Txt_CodRubSai.Text().empty() &&
        records::CodeNumber(Txt_CodRubSai.Text()) >= records::kFirstReservedCode &&
        !ChangeAllowed(*this)) {
      ErreurSaisie = true;
      MsgBox("Vous ne pouvez pas modifier cette rubrique.", kStyleExclamation);
      return;
    }
    try {
      CopyScreen(*this, rec);
      rec.DBWrite();
    } catch (...) {
      rec.Set(as_loaded);  // the buffer still matches what the database holds
      ErreurSaisie = true;
      throw;
    }
  }

  Afficher_Combo();
  ModeCreation = 0;
  EnrOrigine.clear();
  EnrRubSaisie.reset();
  Remplir_RubSaisie();
  Vider_Donnees();
  Txt_CodRubSai.SetEnabled(true);
  Txt_CodRubSai.SetText("");
  Cmd_Ajouter.SetEnabled(true);
  Cmd_Sortir.SetEnabled(true);
  Cmd_OK.SetEnabled(false);
  Cmd_Annuler.SetEnabled(false);
}

}  // namespace talvero
