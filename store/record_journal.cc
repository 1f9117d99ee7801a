// The change journal of the record table: every version of every record, kept by the table's
// triggers.
//
// The journal is written in time order, each version numbered by `seq` and linked to the
// version before it of the same record (`previous`). A record holds the number of its last
// version (`last_change`), and a deleted record's last version is noted in `deleted_records`, so
// that a record's history is found by following the links back from there. Appending in time order
// rather than filing each version under its record keeps a write's cost close to a bare insert's:
// a version is added at the journal's end, where the last one went.
#include <sqlite3.h>

#include "store/record_statement.h"
#include "store/record_table.h"

namespace talvero::store {

namespace {

constexpr const char* kJournalColumns =
    "(seq INTEGER PRIMARY KEY, file TEXT NOT NULL, id BLOB NOT NULL, previous INTEGER, "
    "at TEXT NOT NULL, operator TEXT NOT NULL, before BLOB, after BLOB)";

constexpr const char* kNow = "strftime('%Y-%m-%d %H:%M:%S', 'now')";

}  // namespace

// Stores whose journal filed each version under its record (file, id, version) have it rewritten
// once, in the opening transaction, versions in the order of their numbers. True when it was.
bool RecordTable::CreateJournal() {
  bool keyed_by_record = false;
  {
    Statement::Use probe(
        Prepared("SELECT sql NOT LIKE '%seq INTEGER PRIMARY KEY%' FROM sqlite_master "
                 "WHERE name = 'journal'"));
    keyed_by_record = probe.Step() && probe.IntColumn(0) == 1;
  }
  if (keyed_by_record) {
    // Triggers writing into the journal of that shape go with it; those of today's are made after.
    for (const char* change : {"insert", "update", "delete"})
      Execute(std::string("DROP TRIGGER IF EXISTS records_journal_") + change);
    Execute(std::string("CREATE TABLE journal_in_time_order ") + kJournalColumns);
    Execute(
        "INSERT INTO journal_in_time_order (file, id, at, operator, before, after) "
        "SELECT file, id, at, operator, before, after FROM journal ORDER BY file, id, version");
    Execute("DROP TABLE journal");
    Execute("ALTER TABLE journal_in_time_order RENAME TO journal");
    Execute("CREATE INDEX journal_links_while_rewriting ON journal (file, id, seq)");
    Execute(
        "UPDATE journal SET previous = (SELECT max(p.seq) FROM journal p "
        "WHERE p.file = journal.file AND p.id = journal.id AND p.seq < journal.seq)");
  }
  Execute(std::string("CREATE TABLE IF NOT EXISTS journal ") + kJournalColumns);
  Execute(
      "CREATE TABLE IF NOT EXISTS deleted_records (file TEXT NOT NULL, id BLOB NOT NULL, "
      "last_change INTEGER NOT NULL, PRIMARY KEY (file, id)) WITHOUT ROWID");
  return keyed_by_record;
}

// After a rewrite: the records whose last version deleted them.
void RecordTable::NoteDeletedRecords() {
  Execute(
      "INSERT OR REPLACE INTO deleted_records SELECT j.file, j.id, j.seq FROM journal j "
      "WHERE j.after IS NULL AND j.seq = (SELECT max(k.seq) FROM journal k "
      "WHERE k.file = j.file AND k.id = j.id) AND NOT EXISTS (SELECT 1 FROM records r "
      "WHERE r.file = j.file AND r.id = j.id)");
}

// Whatever writes a record adds its version in the same statement, with the text before read
// under that statement's own write lock. A write gives the number of its version in last_change;
// a deletion takes the next one. The operator's name comes from this connection
// (talvero_operator()): a program that opens the file without the store cannot write records.
void RecordTable::KeepJournalByTriggers() {
  sqlite3_create_function(
      db_, "talvero_operator", 0, SQLITE_UTF8, this,
      [](sqlite3_context* context, int, sqlite3_value**) {
        auto* table = static_cast<RecordTable*>(sqlite3_user_data(context));
        const std::string& name = table->operator_name_;
        sqlite3_result_text(context, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
      },
      nullptr, nullptr);
  const std::string insert_version =
      "INSERT INTO journal (seq, file, id, previous, at, operator, before, after) VALUES ";
  Execute("CREATE TRIGGER IF NOT EXISTS records_journal_insert AFTER INSERT ON records BEGIN " +
          insert_version +
          "(NEW.last_change, NEW.file, NEW.id, (SELECT last_change FROM deleted_records "
          "WHERE file = NEW.file AND id = NEW.id), " +
          kNow +
          ", talvero_operator(), NULL, NEW.body); "
          "DELETE FROM deleted_records WHERE file = NEW.file AND id = NEW.id; END");
  Execute("CREATE TRIGGER IF NOT EXISTS records_journal_update AFTER UPDATE ON records BEGIN " +
          insert_version + "(NEW.last_change, NEW.file, NEW.id, OLD.last_change, " + kNow +
          ", talvero_operator(), OLD.body, NEW.body); END");
  Execute(
      "CREATE TRIGGER IF NOT EXISTS records_journal_delete AFTER DELETE ON records BEGIN " +
      insert_version + "((SELECT coalesce(max(seq), 0) + 1 FROM journal), OLD.file, OLD.id, " +
      "OLD.last_change, " + kNow +
      ", talvero_operator(), OLD.body, NULL); "
      "INSERT OR REPLACE INTO deleted_records VALUES (OLD.file, OLD.id, last_insert_rowid()); END");
}

std::vector<Version> RecordTable::History(const std::string& file, const std::string& id) {
  std::lock_guard lock(mutex_);
  RequireFile(file);
  Statement::Use query(
      Prepared("WITH RECURSIVE chain (seq) AS (SELECT coalesce((SELECT last_change FROM records "
               "INDEXED BY records_by_id WHERE file = ?1 AND id = ?2), (SELECT last_change "
               "FROM deleted_records WHERE file = ?1 AND id = ?2)) UNION ALL SELECT j.previous "
               "FROM journal j JOIN chain c ON j.seq = c.seq WHERE j.previous IS NOT NULL) "
               "SELECT j.at, j.operator, j.before, j.after, j.before IS NULL, j.after IS NULL "
               "FROM chain c JOIN journal j ON j.seq = c.seq ORDER BY j.seq"));
  query.Text(1, file).Blob(2, id);
  std::vector<Version> versions;
  auto optional = [&](int column, int is_null) {
    return query.IntColumn(is_null) ? std::nullopt
                                    : std::optional<std::string>(query.Column(column));
  };
  while (query.Step()) {
    versions.push_back({static_cast<int>(versions.size()) + 1, std::string(query.Column(0)),
                        std::string(query.Column(1)), optional(2, 4), optional(3, 5)});
  }
  return versions;
}

std::optional<std::optional<std::string>> RecordTable::TextAfter(const std::string& file,
                                                                 const std::string& id,
                                                                 int version) {
  std::vector<Version> versions = History(file, id);
  if (version < 1 || version > static_cast<int>(versions.size())) return std::nullopt;
  return versions[version - 1].after;
}

// Each record's last version holds its text, each deleted record's last version deleted it, and
// every link goes back to an earlier version of the same record.
void RecordTable::JournalProblems(std::vector<std::string>& problems) {
  Statement::Use stale(Prepared(
      "SELECT r.file, r.id FROM records r LEFT JOIN journal j ON j.seq = r.last_change "
      "WHERE r.last_change IS NOT NULL AND (j.seq IS NULL OR j.file IS NOT r.file OR "
      "j.id IS NOT r.id OR j.after IS NOT r.body) UNION ALL "
      "SELECT d.file, d.id FROM deleted_records d LEFT JOIN journal j ON j.seq = d.last_change "
      "WHERE j.seq IS NULL OR j.file IS NOT d.file OR j.id IS NOT d.id OR j.after IS NOT NULL"));
  while (stale.Step()) {
    problems.push_back(std::string(stale.Column(0)) + " " + std::string(stale.Column(1)) +
                       " : le journal ne se termine pas par le texte enregistré");
  }
  Statement::Use broken(
      Prepared("SELECT j.file, j.id FROM journal j LEFT JOIN journal p ON p.seq = j.previous "
               "WHERE j.previous IS NOT NULL AND (p.seq IS NULL OR p.file IS NOT j.file OR "
               "p.id IS NOT j.id OR p.seq >= j.seq) ORDER BY j.seq"));
  while (broken.Step()) {
    problems.push_back(std::string(broken.Column(0)) + " " + std::string(broken.Column(1)) +
                       " : le journal de cet enregistrement est rompu");
  }
}

}  // namespace talvero::store
