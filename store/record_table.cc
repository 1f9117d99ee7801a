#include "store/record_table.h"

#include <sqlite3.h>

#include <chrono>
#include <thread>

#include "gateways/dba_error.h"
#include "gateways/dyn_array.h"
#include "store/record_statement.h"
#include "store/store.h"

namespace talvero::store {

namespace {

// Another process may hold the write lock for the length of one commit; waiting this long covers
// a slow disk without leaving the operator stuck for ever.
constexpr int kBusyTimeoutMs = 10000;

}  // namespace

RecordTable::RecordTable(const std::string& path, const std::vector<std::string>& first_files) {
  // The connection is guarded by mutex_: SQLite need not lock it again on every call.
  int rc =
      sqlite3_open_v2(path.c_str(), &db_,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string reason = db_ ? sqlite3_errmsg(db_) : "mémoire insuffisante";
    sqlite3_close(db_);
    throw ComponentError(kErrStorage, "Ouverture impossible de \"" + path + "\" : " + reason);
  }
  try {
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    // The write-ahead journal lets readers of other processes go on during a write; FULL syncs it
    // at every commit, so a stored record survives a power cut.
    UseWriteAheadJournal();
    Execute("PRAGMA synchronous = FULL");
    CreateSchema(first_files);
  } catch (...) {
    statements_.clear();
    scan_statements_.clear();
    sqlite3_close(db_);
    throw;
  }
}

RecordTable::~RecordTable() {
  statements_.clear();
  scan_statements_.clear();
  sqlite3_close(db_);
}

void RecordTable::Execute(const std::string& sql) {
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    FailStorage(db_, sql);
  }
}

// Every write begins and ends a transaction: those statements are prepared once, like the others.
void RecordTable::Run(const std::string& sql) {
  Statement::Use statement(Prepared(sql));
  statement.Step();
}

RecordTable::Statement& RecordTable::Prepared(const std::string& sql) {
  auto& slot = statements_[sql];
  if (!slot) slot = std::make_unique<Statement>(db_, sql);
  return *slot;
}

// Switching to the write-ahead journal needs the database to itself, and SQLite does not wait
// on the busy timeout for it: when several processes open a new database at once, the switch is
// tried again until it succeeds or the busy timeout has passed. The mode is kept in the file, so
// on an existing database the switch is immediate.
void RecordTable::UseWriteAheadJournal() {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
  for (;;) {
    std::string mode;
    int rc;
    {
      Statement::Use pragma(Prepared("PRAGMA journal_mode = WAL"));
      rc = sqlite3_step(pragma.Raw());
      if (rc == SQLITE_ROW) mode = pragma.Column(0);
    }
    // A private in-memory database keeps its own journal.
    if (mode == "wal" || mode == "memory") return;
    const bool busy =
        (rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED || rc == SQLITE_ROW;
    if (!busy || std::chrono::steady_clock::now() > give_up) {
      FailStorage(db_, "PRAGMA journal_mode = WAL");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

// Two processes may create the same new database at once: the immediate transaction makes one
// of them wait, and the files are added only by the one that made the tables.
void RecordTable::CreateSchema(const std::vector<std::string>& first_files) {
  Execute("BEGIN IMMEDIATE");
  try {
    bool is_new = true;
    {
      Statement::Use probe(
          Prepared("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'files'"));
      is_new = !probe.Step();
    }
    Execute("CREATE TABLE IF NOT EXISTS files (name TEXT PRIMARY KEY) WITHOUT ROWID");
    const bool journal_rewritten = CreateJournal();
    CreateRecordsInAttr1Order();
    if (journal_rewritten) NoteDeletedRecords();
    Execute("DROP INDEX IF EXISTS journal_links_while_rewriting");
    KeepJournalByTriggers();
    if (is_new) {
      for (const std::string& file : first_files) {
        Statement::Use insert(Prepared("INSERT OR IGNORE INTO files (name) VALUES (?1)"));
        insert.Text(1, file).Step();
      }
    }
    Execute("COMMIT");
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

// The records are kept in the order of their attribute 1, then their id: the order of every list
// the screen shows, read straight from the table. attr1 copies attribute 1; attr1_multivalued
// marks the records whose attribute 1 holds several values, which a range on the whole text
// cannot answer for a single value, so queries on attribute 1 always add them to the candidates
// (from a small index of their own, which holds nothing when there are none). The id index holds
// attribute 1 too, so that a search by id reads it alone. A change that keeps attribute 1 rewrites
// the record where it stands and leaves the indexes alone: a write touches the table and the
// journal only.
void RecordTable::CreateRecordsInAttr1Order() {
  constexpr const char* kColumns =
      "(file TEXT NOT NULL, attr1 BLOB NOT NULL, id BLOB NOT NULL, body BLOB NOT NULL, "
      "attr1_multivalued INTEGER NOT NULL, last_change INTEGER, PRIMARY KEY (file, attr1, id)) "
      "WITHOUT ROWID";
  bool outdated = false;
  {
    Statement::Use probe(
        Prepared("SELECT sql NOT LIKE '%last_change%' FROM sqlite_master WHERE name = 'records'"));
    outdated = probe.Step() && probe.IntColumn(0) == 1;
  }
  // Stores of an earlier layout (records in id order, or without the link to their journal) are
  // rewritten once, in this transaction.
  if (outdated) {
    Execute("CREATE INDEX IF NOT EXISTS journal_links_while_rewriting ON journal (file, id, seq)");
    Execute(std::string("CREATE TABLE records_in_attr1_order ") + kColumns);
    Execute(
        "INSERT INTO records_in_attr1_order SELECT file, attr1, id, body, attr1_multivalued, "
        "(SELECT max(seq) FROM journal j WHERE j.file = records.file AND j.id = records.id) "
        "FROM records");
    Execute("DROP TABLE records");
    Execute("ALTER TABLE records_in_attr1_order RENAME TO records");
  }
  Execute(std::string("CREATE TABLE IF NOT EXISTS records ") + kColumns);
  Execute("CREATE UNIQUE INDEX IF NOT EXISTS records_by_id ON records (file, id)");
  Execute(
      "CREATE INDEX IF NOT EXISTS records_attr1_multivalued ON records (file, attr1, id) "
      "WHERE attr1_multivalued = 1");
}

bool RecordTable::HasFile(const std::string& file) {
  std::lock_guard lock(mutex_);
  if (known_files_.count(file)) return true;
  Statement::Use query(Prepared("SELECT 1 FROM files WHERE name = ?1"));
  if (!query.Text(1, file).Step()) return false;
  // A file seen inside a transaction may still be rolled back.
  if (transaction_depth_ == 0) known_files_.insert(file);
  return true;
}

void RecordTable::RequireFile(const std::string& file) {
  if (known_files_.count(file)) return;
  Statement::Use query(Prepared("SELECT 1 FROM files WHERE name = ?1"));
  if (!query.Text(1, file).Step()) {
    throw ComponentError(kErrNoSuchFile, "Le fichier " + file + " n'existe pas.");
  }
}

void RecordTable::CreateFile(const std::string& file) {
  CheckFileName(file);
  std::lock_guard lock(mutex_);
  Statement::Use insert(Prepared("INSERT OR IGNORE INTO files (name) VALUES (?1)"));
  insert.Text(1, file).Step();
}

std::vector<std::string> RecordTable::Files() {
  std::lock_guard lock(mutex_);
  std::vector<std::string> files;
  Statement::Use query(Prepared("SELECT name FROM files ORDER BY name"));
  while (query.Step()) files.emplace_back(query.Column(0));
  return files;
}

void RecordTable::Put(const std::string& file, const std::string& id, const std::string& text) {
  Write(file, id, text, false);
}

bool RecordTable::Insert(const std::string& file, const std::string& id, const std::string& text) {
  return Write(file, id, text, true);
}

// One statement, so a write outside a transaction is one implicit transaction, as a bare insert
// is: the journal's version is added by the table's triggers within the same statement.
bool RecordTable::Write(const std::string& file, const std::string& id, const std::string& text,
                        bool only_new) {
  CheckRecordId(id);
  std::string_view attr1 = AttributeOf(text, 1);
  bool multivalued = attr1.find(kValueMark) != attr1.npos;
  std::lock_guard lock(mutex_);
  RequireFile(file);
  // A new attribute 1 moves the record to its new place: the id's conflict then updates the key.
  // last_change numbers the journal's version this write adds: the triggers store it so.
  Statement::Use insert(Prepared(
      only_new ? "INSERT INTO records (file, attr1, id, body, attr1_multivalued, last_change) "
                 "VALUES (?1, ?4, ?2, ?3, ?5, (SELECT coalesce(max(seq), 0) + 1 FROM journal)) "
                 "ON CONFLICT DO NOTHING"
               : "INSERT INTO records (file, attr1, id, body, attr1_multivalued, last_change) "
                 "VALUES (?1, ?4, ?2, ?3, ?5, (SELECT coalesce(max(seq), 0) + 1 FROM journal)) "
                 "ON CONFLICT (file, attr1, id) DO UPDATE SET body = excluded.body, "
                 "last_change = excluded.last_change "
                 "ON CONFLICT (file, id) DO UPDATE SET attr1 = excluded.attr1, "
                 "body = excluded.body, attr1_multivalued = excluded.attr1_multivalued, "
                 "last_change = excluded.last_change"));
  insert.Text(1, file).Blob(2, id).Blob(3, text).Blob(4, attr1).Int(5, multivalued).Step();
  return sqlite3_changes(db_) > 0;
}

void RecordTable::Transaction(const std::function<void()>& body) {
  std::lock_guard lock(mutex_);
  // Immediate: the write lock is taken at the start, so what the body reads cannot be changed by
  // another writer before it writes.
  const bool outermost = transaction_depth_ == 0;
  const std::string savepoint = "nested_" + std::to_string(transaction_depth_);
  Run(outermost ? "BEGIN IMMEDIATE" : "SAVEPOINT " + savepoint);
  ++transaction_depth_;
  try {
    body();
    Run(outermost ? "COMMIT" : "RELEASE " + savepoint);
    --transaction_depth_;
  } catch (...) {
    --transaction_depth_;
    if (outermost) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    } else {
      // Undoes only what the inner body did; the outer transaction goes on.
      const std::string undo = "ROLLBACK TO " + savepoint + "; RELEASE " + savepoint;
      sqlite3_exec(db_, undo.c_str(), nullptr, nullptr, nullptr);
    }
    throw;
  }
}

void RecordTable::PutMany(const std::string& file,
                          const std::vector<std::pair<std::string, std::string>>& records) {
  Transaction([&] {
    for (const auto& [id, text] : records) Put(file, id, text);
  });
}

std::optional<std::string> RecordTable::Get(const std::string& file, const std::string& id) {
  std::lock_guard lock(mutex_);
  {
    Statement::Use query(Prepared("SELECT body FROM records WHERE file = ?1 AND id = ?2"));
    if (query.Text(1, file).Blob(2, id).Step()) return std::string(query.Column(0));
  }
  RequireFile(file);
  return std::nullopt;
}

bool RecordTable::Delete(const std::string& file, const std::string& id) {
  std::lock_guard lock(mutex_);
  {
    Statement::Use remove(Prepared("DELETE FROM records WHERE file = ?1 AND id = ?2"));
    remove.Text(1, file).Blob(2, id).Step();
  }
  if (sqlite3_changes(db_) > 0) return true;
  RequireFile(file);
  return false;
}

// Parameters: ?1 the file, ?2 the value or the start of the prefix range, ?3 its end.
std::string RecordTable::ScanStatement(const Shape& shape) {
  const Access& access = shape.access;
  // With the whole text at hand, attribute 1 and its marks are read from it rather than from
  // columns of their own: every column fetched costs as much as a short text.
  // The two halves of a range on attribute 1 are merged on it: it must be a column of theirs.
  const std::string select = std::string("SELECT id, ") +
                             (!shape.body                          ? "attr1"
                              : access.kind == Access::kAttr1Range ? "body, attr1"
                                                                   : "body") +
                             " FROM records ";
  auto range = [&](const std::string& column) {
    if (!access.prefix) return " AND " + column + " = ?2";
    std::string sql = " AND " + column + " >= ?2";
    if (PrefixEnd(access.key)) sql += " AND " + column + " < ?3";
    return sql;
  };
  const char* order = shape.order == Shape::kById      ? " ORDER BY id"
                      : shape.order == Shape::kByAttr1 ? " ORDER BY attr1, id"
                                                       : "";
  // Without statistics the planner may prefer another path, which reads the whole file: the
  // indexes are named. The order of attribute 1 is the table's own.
  const std::string by_attr1 = select + "WHERE file = ?1";
  if (access.kind == Access::kAllRecords && shape.order == Shape::kByAttr1) {
    return by_attr1 + order;
  }
  // A multivalued attribute 1 may hold the value sought after another one, which a range on its
  // whole text cannot find: those records outside the range are read too, and checked by the
  // caller. Each half comes in attribute 1's order, so SQLite merges them without sorting.
  if (access.kind == Access::kAttr1Range) {
    std::string in_range = range("attr1");
    return by_attr1 + in_range + " UNION ALL " + select +
           "INDEXED BY records_attr1_multivalued WHERE file = ?1 AND attr1_multivalued = 1 AND "
           "NOT (" +
           in_range.substr(5) + ")" + order;
  }
  // An id range is read from the id index and sorted: "+attr1" keeps the planner from walking
  // the whole file in the table's order instead.
  if (access.kind == Access::kIdRange && shape.order == Shape::kByAttr1) {
    order = " ORDER BY +attr1, id";
  }
  return select + "INDEXED BY records_by_id WHERE file = ?1" +
         (access.kind == Access::kIdRange ? range("id") : "") + order;
}

void RecordTable::Scan(const std::string& file, const Shape& shape, const RowVisitor& visit) {
  std::lock_guard lock(mutex_);
  std::optional<std::string> end = shape.access.prefix ? PrefixEnd(shape.access.key) : std::nullopt;
  // Scans are the hot path: their statements are found by a small key, not by their text.
  const Access& access = shape.access;
  int range = !access.prefix ? 0 : end ? 1 : 2;
  int key = ((access.kind * 3 + range) * 3 + shape.order) * 2 + shape.body;
  std::unique_ptr<Statement>& slot = scan_statements_[key];
  if (!slot) slot = std::make_unique<Statement>(db_, ScanStatement(shape));
  Statement::Use query(*slot);
  query.Text(1, file);
  if (query.Parameters() >= 2) query.Blob(2, shape.access.key);
  if (query.Parameters() >= 3) query.Blob(3, *end);
  while (query.Step()) {
    ++rows_scanned_;
    if (shape.body) {
      std::string_view body = query.Column(1);
      std::string_view attr1 = AttributeOf(body, 1);
      visit(RecordView{query.Column(0), attr1, body, attr1.find(kValueMark) != attr1.npos});
    } else {
      std::string_view attr1 = query.Column(1);
      visit(RecordView{query.Column(0), attr1, std::string_view(),
                       attr1.find(kValueMark) != attr1.npos});
    }
  }
}

void RecordTable::Scan(const std::string& file, const Access& access, const Visitor& visit) {
  Scan(file, Shape{access, Shape::kAnyOrder, true, {}},
       [&](const RecordView& record) { visit(record.id, record.body); });
}

std::vector<std::string> RecordTable::ExplainScan(const Shape& shape) {
  std::lock_guard lock(mutex_);
  std::vector<std::string> steps;
  Statement::Use query(Prepared("EXPLAIN QUERY PLAN " + ScanStatement(shape)));
  while (query.Step()) steps.emplace_back(query.Column(3));
  return steps;
}

void RecordTable::SetOperator(const std::string& name) {
  std::lock_guard lock(mutex_);
  operator_name_ = name;
}

void RecordTable::ForEach(const std::string& file, const Visitor& visit) {
  std::lock_guard lock(mutex_);
  RequireFile(file);
  Statement::Use query(Prepared("SELECT id, body FROM records WHERE file = ?1 ORDER BY id"));
  query.Text(1, file);
  while (query.Step()) visit(query.Column(0), query.Column(1));
}

std::vector<std::string> RecordTable::IntegrityProblems() {
  std::lock_guard lock(mutex_);
  std::vector<std::string> problems;
  {
    Statement::Use check(Prepared("PRAGMA integrity_check"));
    while (check.Step()) {
      if (check.Column(0) != "ok") problems.emplace_back(check.Column(0));
    }
  }
  Statement::Use records(
      Prepared("SELECT file, id, body, attr1, attr1_multivalued, file IN (SELECT name FROM files) "
               "FROM records ORDER BY file, id"));
  while (records.Step()) {
    std::string where = std::string(records.Column(0)) + " " + std::string(records.Column(1));
    std::string_view attr1 = AttributeOf(records.Column(2), 1);
    bool multivalued = attr1.find(kValueMark) != attr1.npos;
    if (attr1 != records.Column(3) || (multivalued ? "1" : "0") != records.Column(4)) {
      problems.push_back(where +
                         " : la copie de l'attribut 1 ne correspond pas à l'enregistrement");
    }
    if (records.Column(5) != "1") problems.push_back(where + " : fichier inconnu");
    try {
      CheckRecordId(std::string(records.Column(1)));
    } catch (const ComponentError& e) {
      problems.push_back(where + " : " + e.what());
    }
  }
  JournalProblems(problems);
  return problems;
}

}  // namespace talvero::store
