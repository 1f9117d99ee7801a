// talvero-db check: what would stop the operator, found before the operator meets it.
#include <algorithm>
#include <optional>

#include "gateways/dba_error.h"
#include "gateways/dyn_array.h"
#include "records/code_tables.h"
#include "replay/notation.h"
#include "tools/talvero_db/db_commands.h"

namespace talvero::dbtool {

namespace {

using records::Attr;

bool IsCode(std::string_view id) {
  return id.size() == 3 &&
         std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The readings the screen makes when it opens an item: a code of its list for the four selectors
// stored as numbers, 0 or 1 for the check boxes, numbers for the base, rate, amount and hours
// type. The first fault found, or nothing.
std::optional<std::string> UnreadableAttribute(const DBADynArray& rec, bool billing_option) {
  auto integer = [&](Attr attr, bool whole) -> std::optional<long> {
    try {
      return records::StoredInteger(whole ? rec.Get(attr) : rec.Get(attr, 1));
    } catch (const ComponentError&) {
      return std::nullopt;
    }
  };
  auto fault = [&](Attr attr, const std::string& why) {
    std::string content = replay::NotationFromStored(rec.Get(attr));
    return "l'attribut " + std::to_string(static_cast<int>(attr)) + " (\"" + content + "\") " + why;
  };
  const std::pair<Attr, size_t> lists[] = {
      {records::kChampApplication, records::ChampApplicationTexts().size()},
      {records::kTypeBase, records::TypeBaseTexts().size()},
      {records::kTypeTaux, records::TypeTauxTexts().size()},
      {records::kTypeMontant, records::TypeMontantTexts().size()}};
  for (auto [attr, count] : lists) {
    std::optional<long> code = integer(attr, false);
    if (!code || *code < 0 || *code >= static_cast<long>(count)) {
      return fault(attr, "n'est pas un code de sa liste");
    }
  }
  // Check boxes: value 1, or the whole attribute for those the screen reads whole; attributes 21,
  // 22 and 20 may be empty in older records.
  std::vector<std::pair<Attr, bool>> boxes = {{records::kAutomatique, false},
                                              {records::kTravailNuit, true}};
  if (!rec.Get(records::kCaractereAnnuel).empty())
    boxes.push_back({records::kCaractereAnnuel, true});
  if (!rec.Get(records::kPrevoyanceMaintien).empty()) {
    boxes.push_back({records::kPrevoyanceMaintien, true});
  }
  if (billing_option) boxes.push_back({records::kNePasFacturer, true});
  if (!rec.Get(records::kTelegeree, 1).empty()) boxes.push_back({records::kTelegeree, false});
  for (auto [attr, whole] : boxes) {
    std::optional<long> value = integer(attr, whole);
    if (!value || (*value != 0 && *value != 1)) return fault(attr, "n'est pas 0 ou 1");
  }
  for (Attr attr : {records::kBase, records::kTaux, records::kMontant, records::kTypeHeures}) {
    const std::string text = rec.Get(attr, 1);
    if (text.empty()) continue;
    try {
      records::UnscaledFromStore(text, 1);
    } catch (const ComponentError&) {
      return fault(attr, "n'est pas un nombre");
    }
  }
  return std::nullopt;
}

// The counter holds the last code given: below the highest code under 800, the next creation
// would be given the code of an item that exists.
void CheckCounter(store::Store& store, int highest, std::vector<std::string>& problems) {
  std::optional<std::string> counter = store.GetRecord("COMPTEUR", "999");
  if (!counter) {
    problems.push_back("COMPTEUR 999 : l'enregistrement du compteur manque.");
    return;
  }
  std::string last = DBADynArray(*counter).Get(3, 1);
  if (last.empty() || last.size() > 9 || last.find_first_not_of("0123456789") != last.npos) {
    problems.push_back("COMPTEUR 999 : l'attribut 3 (\"" + last + "\") n'est pas un code.");
  } else if (std::stol(last) < highest) {
    problems.push_back(
        "COMPTEUR 999 : le compteur (" + last + ") est en dessous du plus grand code attribué (" +
        std::to_string(1000 + highest).substr(1) + ") : la prochaine création prendrait le code " +
        "d'une rubrique existante.");
  }
}

}  // namespace

std::vector<std::string> Check(store::Store& store) {
  std::vector<std::string> problems = store.IntegrityProblems();
  std::vector<std::string> files = store.Files();
  for (const std::string& file : store::FirstFiles()) {
    if (std::find(files.begin(), files.end(), file) == files.end()) {
      problems.push_back("Le fichier " + file + " manque.");
    }
  }
  if (!std::binary_search(files.begin(), files.end(), "RUBSAISIE") ||
      !std::binary_search(files.begin(), files.end(), "COMPTEUR")) {
    return problems;
  }
  std::optional<std::string> counter = store.GetRecord("COMPTEUR", "999");
  bool billing_option = counter && DBADynArray(*counter).Get(80) == "1";
  int highest = 0;
  store.ForEachRecord("RUBSAISIE", [&](std::string_view id, std::string_view text) {
    std::string where = "RUBSAISIE " + std::string(id) + " : ";
    if (!IsCode(id)) {
      problems.push_back(where + "le code n'a pas trois chiffres.");
      return;
    }
    int code = std::stoi(std::string(id));
    if (code < records::kFirstReservedCode) highest = std::max(highest, code);
    std::optional<std::string> fault =
        UnreadableAttribute(DBADynArray(std::string(text)), billing_option);
    if (fault) problems.push_back(where + "l'écran ne peut pas l'ouvrir : " + *fault + ".");
  });
  CheckCounter(store, highest, problems);
  return problems;
}

}  // namespace talvero::dbtool
