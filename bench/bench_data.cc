#include "bench/bench_data.h"

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <stdexcept>

#include "gateways/dyn_array.h"
#include "store/record_table.h"

namespace talvero::bench {

namespace {

const char* const kFirstWords[] = {
    "CHARGES", "PRODUITS",  "CLIENTS",    "FOURNISSEURS", "CAPITAL", "RESERVES",   "EMPRUNTS",
    "TITRES",  "STOCKS",    "ACHATS",     "VENTES",       "IMPOTS",  "SALAIRES",   "BANQUES",
    "CAISSE",  "DOTATIONS", "PROVISIONS", "CREANCES",     "DETTES",  "SUBVENTIONS"};
const char* const kSecondWords[] = {
    "SOCIALES",   "DIVERSES",   "EXTERNES", "FINANCIERES", "COURANTES", "DOUTEUSES",  "A PAYER",
    "A RECEVOIR", "ETRANGERES", "LOCALES",  "NETTES",      "BRUTES",    "ANNUELLES",  "MENSUELLES",
    "FIXES",      "VARIABLES",  "PROPRES",  "COMMUNES",    "GROUPE",    "HORS GROUPE"};
constexpr int kWords = 20;
const char* const kItemWords[] = {
    "SALAIRE",     "PRIME",     "INDEMNITE",      "HEURES",        "AVANTAGE",  "FRAIS",
    "RETENUE",     "ACOMPTE",   "COTISATION",     "CONGES",        "ABSENCE",   "GRATIFICATION",
    "TICKET",      "MUTUELLE",  "PARTICIPATION",  "REMBOURSEMENT", "TRANSPORT", "LOGEMENT",
    "NOURRITURE",  "BONUS",     "REGULARISATION", "ASTREINTE",     "PANIER",    "OUTILLAGE",
    "DEPLACEMENT", "TREIZIEME", "INTERESSEMENT",  "MAJORATION",    "RAPPEL",    "ALLOCATION"};
constexpr int kItemWordCount = 30;

// A bijection of [0, 10^10): the numbers of the accounts are distinct and spread evenly.
uint64_t Scatter(int64_t i) {
  return (static_cast<uint64_t>(i) * 7919817263ULL + 1234567ULL) % 10000000000ULL;
}

uint64_t Mix(uint64_t x) {
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdULL;
  x ^= x >> 33;
  return x;
}

std::string Digits(uint64_t value, int width) {
  std::string text(width, '0');
  for (int k = width - 1; k >= 0; --k, value /= 10) text[k] = static_cast<char>('0' + value % 10);
  return text;
}

void Check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
  }
}

void Exec(sqlite3* db, const char* sql) {
  Check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db, sql);
}

void BuildStore(const std::string& path, int64_t accounts) {
  store::RecordTable table(path, {"RUBSAISIE", "COMPTEUR", "PLANCOMPTABLE", "ASSOCIATION"});
  std::vector<std::pair<std::string, std::string>> records;
  for (int i = 1; i <= 999; ++i) records.emplace_back(ItemId(i), ItemText(i));
  table.PutMany("RUBSAISIE", records);
  constexpr int64_t kBatch = 100000;
  for (int64_t first = 0; first < accounts; first += kBatch) {
    records.clear();
    for (int64_t i = first; i < std::min(accounts, first + kBatch); ++i)
      records.emplace_back(AccountId(i), AccountText(i));
    table.PutMany("PLANCOMPTABLE", records);
  }
  table.PutMany("COMPTEUR", {{"999", SettingsText()}});
}

// The same data as a bare database would hold it: one table per file with a column for each
// attribute a query reads, and the index that answers each query in its order.
void BuildFloor(const std::string& path, int64_t accounts) {
  sqlite3* db = nullptr;
  Check(sqlite3_open(path.c_str(), &db), db, "open");
  Exec(db, "PRAGMA journal_mode = WAL");
  Exec(db,
       "CREATE TABLE accounts (id BLOB PRIMARY KEY, label BLOB NOT NULL, body BLOB NOT NULL) "
       "WITHOUT ROWID");
  Exec(db,
       "CREATE TABLE items (id BLOB PRIMARY KEY, label BLOB NOT NULL, deleted BLOB NOT NULL, "
       "body BLOB NOT NULL) WITHOUT ROWID");
  Exec(db, "BEGIN");
  sqlite3_stmt* insert = nullptr;
  Check(sqlite3_prepare_v2(db, "INSERT INTO accounts VALUES (?1, ?2, ?3)", -1, &insert, nullptr),
        db, "prepare");
  for (int64_t i = 0; i < accounts; ++i) {
    std::string id = AccountId(i), label = AccountLabel(i), body = AccountText(i);
    sqlite3_bind_blob(insert, 1, id.data(), id.size(), SQLITE_TRANSIENT);
    sqlite3_bind_blob(insert, 2, label.data(), label.size(), SQLITE_TRANSIENT);
    sqlite3_bind_blob(insert, 3, body.data(), body.size(), SQLITE_TRANSIENT);
    Check(sqlite3_step(insert), db, "insert account");
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  Check(sqlite3_prepare_v2(db, "INSERT INTO items VALUES (?1, ?2, ?3, ?4)", -1, &insert, nullptr),
        db, "prepare");
  for (int i = 1; i <= 999; ++i) {
    std::string id = ItemId(i), label = ItemLabel(i), deleted = ItemDeleted(i), body = ItemText(i);
    sqlite3_bind_blob(insert, 1, id.data(), id.size(), SQLITE_TRANSIENT);
    sqlite3_bind_blob(insert, 2, label.data(), label.size(), SQLITE_TRANSIENT);
    sqlite3_bind_blob(insert, 3, deleted.data(), deleted.size(), SQLITE_TRANSIENT);
    sqlite3_bind_blob(insert, 4, body.data(), body.size(), SQLITE_TRANSIENT);
    Check(sqlite3_step(insert), db, "insert item");
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  Exec(db, "CREATE INDEX accounts_by_label ON accounts (label, id)");
  Exec(db, "CREATE INDEX items_by_label ON items (label, id, deleted)");
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

}  // namespace

std::string AccountId(int64_t i) {
  return kAccountPrefix + Digits(Scatter(i), 10);
}

std::string AccountLabel(int64_t i) {
  uint64_t h = Mix(static_cast<uint64_t>(i) + 17);
  std::string label =
      std::string(kFirstWords[h % kWords]) + " " + kSecondWords[(h / kWords) % kWords] + " ";
  h /= kWords * kWords;
  for (int k = 0; k < 5; ++k, h /= 26) label += static_cast<char>('A' + h % 26);
  return label;
}

std::string AccountText(int64_t i) {
  return AccountLabel(i) + kAttrMark + AccountId(i).substr(3, 1);
}

std::string ItemId(int i) {
  return Digits(i, 3);
}

std::string ItemLabel(int i) {
  return std::string(kItemWords[Mix(i) % kItemWordCount]) + " " + std::to_string(i * 37 % 1000);
}

// The counter at 041 and the accounting prefix: accounts are in use on the screen.
std::string SettingsText() {
  return std::string(2, kAttrMark) + "041" + std::string(12, kAttrMark) + kAccountPrefix;
}

std::string ItemDeleted(int i) {
  return i % 50 == 7 ? "1" : "";
}

// The layout of an item paid as an amount entered on the pay slip, with a base and a rate,
// posted to two accounts that every chart holds.
std::string ItemText(int i) {
  const std::string debit = AccountId(i).substr(3), credit = AccountId(i + 1).substr(3);
  const std::string fields[] = {ItemLabel(i), "5", "",        "1", "+", "1",
                                "15167",      "2", "1000000", "2", "",  debit,
                                credit,       "",  "",        "0", "",  ItemDeleted(i),
                                "0",          "0", "0",       "0", "0", "0"};
  std::string text;
  for (size_t k = 0; k < std::size(fields); ++k) {
    if (k > 0) text += kAttrMark;
    text += fields[k];
  }
  return text;
}

std::string NumberPrefixFor(int64_t accounts) {
  int digits = std::max(1, static_cast<int>(std::lround(std::log10(accounts))) - 2);
  return AccountId(accounts / 3).substr(3, digits);
}

std::string LabelPrefixFor(int64_t accounts) {
  // Two words select one account in 400; each letter of the code one in 26 of those.
  std::string label = AccountLabel(accounts / 3);
  std::string prefix = label.substr(0, label.size() - 5);
  for (double expected = accounts / 400.0; expected > 260; expected /= 26)
    prefix += label[prefix.size()];
  return prefix;
}

DataSet EnsureDataSet(const std::string& folder, int64_t accounts) {
  DataSet set;
  set.accounts = accounts;
  set.store_path = folder + "/store-" + std::to_string(accounts) + ".db";
  set.floor_path = folder + "/floor-" + std::to_string(accounts) + ".db";
  std::string done = folder + "/data-" + std::to_string(accounts) + ".done";
  if (std::filesystem::exists(done)) return set;

  std::filesystem::create_directories(folder);
  for (const std::string& path : {set.store_path, set.floor_path})
    for (const char* end : {"", "-wal", "-shm"}) std::filesystem::remove(path + end);
  std::fprintf(stderr, "building the data set of %lld accounts in %s\n",
               static_cast<long long>(accounts), folder.c_str());
  pid_t child = fork();
  if (child == 0) {
    try {
      BuildStore(set.store_path, accounts);
      BuildFloor(set.floor_path, accounts);
      _exit(0);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s\n", e.what());
      _exit(1);
    }
  }
  int status = -1;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("building the data set failed");
  }
  std::FILE* marker = std::fopen(done.c_str(), "w");
  if (marker) std::fclose(marker);
  return set;
}

}  // namespace talvero::bench
