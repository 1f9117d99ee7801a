#pragma once
// The server store: the record store on a PostgreSQL server, for several operators on several
// machines sharing one payroll database. It keeps the contract of the embedded store
// (sqlite_store.h) to the byte: the same files, records, query answers, orders and errors, and the
// change journal of store.h.
//
// Ids and record texts are stored as bytea, so they compare byte by byte whatever the server's
// collation; file names are text in the "C" collation. A query sentence only chooses which index
// range of candidates the server returns (id or attribute 1, equal or prefix, always as statement
// parameters); the conditions, the order and the result are then worked out by the same code as
// on the embedded store, so that both answer every sentence alike.
//
// Concurrency: DBTransaction first takes the store's writer lock (pg_layout.h), which every write
// of a record waits for, so a read-modify-write inside it is never interleaved with any other
// write, on any machine; a write outside a transaction is one statement, and writes of one record
// follow each other on its row. Readers never wait. A
// server restart or a lost connection raises kErrStorage for the operation that met it, with
// nothing half-written, and the next operation reconnects.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "store/query.h"
#include "store/store.h"

namespace talvero::store {

class PgDatabase : public Store {
 public:
  // Connects to the server (a "postgresql://" connection string) and opens the store kept in
  // schema (empty: the server's default schema), making it when mode allows.
  static std::shared_ptr<PgDatabase> Open(const std::string& url, const std::string& schema = "",
                                          OpenMode mode = OpenMode::kCreateIfMissing);
  ~PgDatabase() override;

  std::shared_ptr<DBAFile> DBOpen(const std::string& file) override;
  DynArrayPtr DBQuery(const std::string& request, const std::string& options,
                      int32_t& count) override;
  void DBTransaction(const std::function<void()>& body) override;

  void SetOperator(const std::string& name) override;
  void PutRecord(const std::string& file, const std::string& id, const std::string& text) override;
  bool DeleteRecord(const std::string& file, const std::string& id) override;
  std::optional<std::string> GetRecord(const std::string& file, const std::string& id) override;
  void CreateFile(const std::string& file) override;
  std::vector<std::string> Files() override;
  void ForEachRecord(const std::string& file, const Visitor& visit) override;
  std::vector<Version> History(const std::string& file, const std::string& id) override;
  void Restore(const std::string& file, const std::string& id, int version) override;
  std::vector<std::string> IntegrityProblems() override;

  // Stores many records of one file at once, for set-up tools loading a whole file: each is
  // journaled as PutRecord does, all in one transaction. The ids must differ.
  void PutRecords(const std::string& file,
                  const std::vector<std::pair<std::string, std::string>>& records);

  // Removes the whole schema the store lives in, records and journal: for throwaway stores
  // (tests, scenario files). A store in the default schema raises kErrStorage.
  void DropSchema();
  // The server's plan for the statement that fetches the candidates of that access, one line per
  // step, after refreshing the planner's statistics.
  std::vector<std::string> ExplainScan(const std::string& file, const Access& access);
  // The same for the statement that reads them as a selection of that shape asks.
  std::vector<std::string> ExplainScan(const std::string& file, const ScanShape& shape);

  struct Impl;

 private:
  explicit PgDatabase(std::shared_ptr<Impl> impl);
  std::shared_ptr<Impl> impl_;
};

}  // namespace talvero::store
