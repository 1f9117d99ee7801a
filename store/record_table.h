#pragma once
// The SQLite side of the record store: one connection to one database file holding the names of
// the files and every record of every file.
//
// Each record is one row with its whole text and a copy of its attribute 1, kept in the order of
// attribute 1 then id: a query in that order reads the table alone, in order. An index on the id
// (holding attribute 1 too) finds a record by its id and answers searches by id by itself.
// Every write is one statement, so a transaction of its own (or a part of the Transaction around
// it) that stores the record and, through the table's triggers, its version in the change journal,
// in a write-ahead journal synced at each commit: a record and its version are wholly stored or
// not at all, and other connections (other processes) see them at once. The journal is appended
// in time order, each version linked to the one before of its record (record_journal.cc).
// Connections wait for each other's locks instead of failing.
//
// Raises ComponentError: kErrStorage for a failure of SQLite itself, kErrNoSuchFile for a file
// the database does not hold.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/query.h"
#include "store/store.h"

struct sqlite3;
struct sqlite3_stmt;

namespace talvero::store {

class RecordTable {
 public:
  // Opens or creates the database at path (":memory:" for a private one). A new database holds
  // the given files, without records.
  RecordTable(const std::string& path, const std::vector<std::string>& first_files);
  ~RecordTable();
  RecordTable(const RecordTable&) = delete;
  RecordTable& operator=(const RecordTable&) = delete;

  bool HasFile(const std::string& file);
  void CreateFile(const std::string& file);
  std::vector<std::string> Files();  // in byte order

  // Every write and delete keeps the record's text before and after in the journal, with the
  // time and the operator's name, in the same transaction (store.h).
  void Put(const std::string& file, const std::string& id, const std::string& text);
  // Stores the record only when the file holds none of that id; false, writing nothing, otherwise.
  bool Insert(const std::string& file, const std::string& id, const std::string& text);
  std::optional<std::string> Get(const std::string& file, const std::string& id);
  bool Delete(const std::string& file, const std::string& id);
  // Stores many records in one transaction, for tools that load a whole file at once.
  void PutMany(const std::string& file,
               const std::vector<std::pair<std::string, std::string>>& records);

  // The name kept in the journal with every change from now on.
  void SetOperator(const std::string& name);
  std::vector<Version> History(const std::string& file, const std::string& id);
  // The text a record had after that version: nothing when there is no such version, an empty
  // optional when that version deleted it.
  std::optional<std::optional<std::string>> TextAfter(const std::string& file,
                                                      const std::string& id, int version);
  // Every record of the file in id order.
  using Visitor = std::function<void(std::string_view id, std::string_view text)>;
  void ForEach(const std::string& file, const Visitor& visit);
  std::vector<std::string> IntegrityProblems();

  using Shape = ScanShape;
  // Calls visit for every record of the file in the access range, in the order asked, with its
  // id, attribute 1, whether attribute 1 holds several values, and its whole text when asked.
  // One SQL statement reads them all, so they come from one snapshot of the database. Does not
  // check that the file exists.
  using RowVisitor = std::function<void(const RecordView& record)>;
  void Scan(const std::string& file, const Shape& shape, const RowVisitor& visit);
  // The same, in any order, with the whole text.
  void Scan(const std::string& file, const Access& access, const Visitor& visit);

  // Runs body inside one write transaction of this connection: other connections wait for its
  // end and see all of its writes or none. Calls may nest (the inner one is a savepoint). An
  // exception from body rolls back what it did and propagates. Other threads using this table
  // wait until the transaction ends.
  void Transaction(const std::function<void()>& body);

  // Rows handed out by Scan since the table was opened: lets tests see how much a query read.
  int64_t RowsScanned() const { return rows_scanned_; }
  // SQLite's plan for the statement Scan runs for that shape, one line per step.
  std::vector<std::string> ExplainScan(const Shape& shape);

 private:
  class Statement;
  Statement& Prepared(const std::string& sql);
  void Execute(const std::string& sql);
  void Run(const std::string& sql);  // one statement without parameters nor rows, prepared once
  void UseWriteAheadJournal();
  void CreateSchema(const std::vector<std::string>& first_files);
  void RequireFile(const std::string& file);
  static std::string ScanStatement(const Shape& shape);
  bool Write(const std::string& file, const std::string& id, const std::string& text,
             bool only_new);
  void CreateRecordsInAttr1Order();
  // The journal (record_journal.cc).
  bool CreateJournal();
  void NoteDeletedRecords();
  void KeepJournalByTriggers();
  void JournalProblems(std::vector<std::string>& problems);

  // Recursive, so that the statements run by a transaction's body take it again.
  std::recursive_mutex mutex_;
  std::string operator_name_;  // kept in the journal
  sqlite3* db_ = nullptr;
  int transaction_depth_ = 0;
  std::map<std::string, std::unique_ptr<Statement>> statements_;
  std::map<int, std::unique_ptr<Statement>> scan_statements_;  // by the shape of the scan
  // Files are never removed: once seen, a file is known to exist without asking SQLite again.
  std::set<std::string> known_files_;
  int64_t rows_scanned_ = 0;
};

}  // namespace talvero::store
