#include "bench/floor.h"

#include <sqlite3.h>

#include <stdexcept>

#include "gateways/dyn_array.h"

namespace talvero::bench {

namespace {

void Check(sqlite3* db, int rc, const std::string& what) {
  if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) {
    throw std::runtime_error(what + ": " + sqlite3_errmsg(db));
  }
}

// The prefixes of the bench are ASCII: the range ends at the prefix with its last byte raised.
std::string PrefixEnd(std::string prefix) {
  prefix.back() = static_cast<char>(prefix.back() + 1);
  return prefix;
}

void BindRange(sqlite3_stmt* stmt, const std::string& prefix, const std::string& end) {
  sqlite3_bind_blob(stmt, 1, prefix.data(), static_cast<int>(prefix.size()), SQLITE_STATIC);
  sqlite3_bind_blob(stmt, 2, end.data(), static_cast<int>(end.size()), SQLITE_STATIC);
}

}  // namespace

Floor::Floor(const std::string& path) {
  Check(db_,
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr),
        "open " + path);
  Check(db_, sqlite3_exec(db_, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr), "wal");
  Check(db_, sqlite3_exec(db_, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr), "sync");
  by_number_ =
      Prepare("SELECT id, label FROM accounts WHERE id >= ?1 AND id < ?2 ORDER BY label, id");
  by_label_ =
      Prepare("SELECT id, label FROM accounts WHERE label >= ?1 AND label < ?2 ORDER BY label, id");
  item_list_ = Prepare("SELECT id, label, deleted FROM items ORDER BY label, id");
  items_by_label_ = Prepare(
      "SELECT id, label, deleted FROM items WHERE label >= ?1 AND label < ?2 "
      "ORDER BY label, id");
  write_ =
      Prepare("INSERT OR REPLACE INTO items (id, label, deleted, body) VALUES (?1, ?2, ?3, ?4)");
  Check(
      db_,
      sqlite3_exec(db_,
                   "CREATE TABLE IF NOT EXISTS item_versions (id BLOB NOT NULL, at TEXT NOT NULL, "
                   "operator TEXT NOT NULL, after BLOB); DELETE FROM item_versions",
                   nullptr, nullptr, nullptr),
      "item_versions");
  begin_ = Prepare("BEGIN");
  add_version_ = Prepare(
      "INSERT INTO item_versions (id, at, operator, after) "
      "VALUES (?1, strftime('%Y-%m-%d %H:%M:%S', 'now'), 'bench', ?4)");
  commit_ = Prepare("COMMIT");
}

Floor::~Floor() {
  for (sqlite3_stmt* stmt :
       {by_number_, by_label_, item_list_, items_by_label_, write_, begin_, add_version_, commit_})
    sqlite3_finalize(stmt);
  sqlite3_close(db_);
}

sqlite3_stmt* Floor::Prepare(const char* sql) {
  sqlite3_stmt* stmt = nullptr;
  Check(db_, sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr), sql);
  return stmt;
}

std::string Floor::Rows(sqlite3_stmt* stmt, int columns) {
  std::string text;
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    if (!text.empty()) text += kAttrMark;
    for (int c = 0; c < columns; ++c) {
      if (c > 0) text += kValueMark;
      text.append(static_cast<const char*>(sqlite3_column_blob(stmt, c)) ?: "",
                  sqlite3_column_bytes(stmt, c));
    }
  }
  Check(db_, rc, "step");
  sqlite3_reset(stmt);
  return text;
}

std::string Floor::AccountsByNumber(const std::string& id_prefix) {
  std::string end = PrefixEnd(id_prefix);
  BindRange(by_number_, id_prefix, end);
  return Rows(by_number_, 2);
}

std::string Floor::AccountsByLabel(const std::string& label_prefix) {
  std::string end = PrefixEnd(label_prefix);
  BindRange(by_label_, label_prefix, end);
  return Rows(by_label_, 2);
}

std::string Floor::ItemList() {
  return Rows(item_list_, 3);
}

std::string Floor::ItemsByLabel(const std::string& label_prefix) {
  std::string end = PrefixEnd(label_prefix);
  BindRange(items_by_label_, label_prefix, end);
  return Rows(items_by_label_, 3);
}

void Floor::Step(sqlite3_stmt* stmt, const char* what) {
  int rc = sqlite3_step(stmt);
  sqlite3_reset(stmt);
  Check(db_, rc, what);
}

void Floor::BindItem(sqlite3_stmt* stmt, const std::string& id, const std::string& label,
                     const std::string& deleted, const std::string& body) {
  int k = 1;
  for (const std::string* value : {&id, &label, &deleted, &body})
    sqlite3_bind_blob(stmt, k++, value->data(), static_cast<int>(value->size()), SQLITE_STATIC);
}

void Floor::WriteItem(const std::string& id, const std::string& label, const std::string& deleted,
                      const std::string& body) {
  BindItem(write_, id, label, deleted, body);
  Step(write_, "write");
}

void Floor::WriteItemWithVersion(const std::string& id, const std::string& label,
                                 const std::string& deleted, const std::string& body) {
  Step(begin_, "begin");
  try {
    BindItem(write_, id, label, deleted, body);
    Step(write_, "write");
    BindItem(add_version_, id, label, deleted, body);
    Step(add_version_, "version");
    Step(commit_, "commit");
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

std::string Floor::Plans() {
  std::string plans;
  for (sqlite3_stmt* stmt : {by_number_, by_label_, item_list_, items_by_label_}) {
    sqlite3_stmt* explain = nullptr;
    std::string sql = std::string("EXPLAIN QUERY PLAN ") + sqlite3_sql(stmt);
    Check(db_, sqlite3_prepare_v2(db_, sql.c_str(), -1, &explain, nullptr), sql);
    while (sqlite3_step(explain) == SQLITE_ROW)
      plans += std::string(reinterpret_cast<const char*>(sqlite3_column_text(explain, 3))) + "; ";
    sqlite3_finalize(explain);
    plans += "\n";
  }
  return plans;
}

}  // namespace talvero::bench
