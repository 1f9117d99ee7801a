#pragma once
// The embedded record store: our own database component, on SQLite. This header is also the
// contract of records and query sentences that every backend of the store keeps (store.h).
//
// One database file holds every file of records. Every write is atomic and durable (a record is
// wholly there after a crash or not at all), and several processes may use the same database file
// at once.
//
// A new store holds the files RUBSAISIE, COMPTEUR, PLANCOMPTABLE and ASSOCIATION, all empty.
// DBOpen of a file the store does not hold raises kErrNoSuchFile; DBRead of a missing record
// raises kErrRecordNotFound (0x8004000B).
//
// Query sentences (DBQuery), as established multivalue databases give them:
//   ("SSELECT" | "SELECT") FILE { ("AVEC" | "SANS") ATTR ("=" | "<>") "VALUE" [ "AND" ... ] }
//   [ "PAR" ATTR ]
// - ATTR is an attribute number or "@ID" (0 is the id too). VALUE is double-quoted; a final "]"
//   inside the quotes means "starts with".
// - SSELECT without PAR sorts by id. PAR sorts by that attribute's whole text in byte order; with
//   SSELECT ties are broken by the id. SELECT gives the same order today, but callers may rely on
//   neither its order without PAR nor its order of ties (point 4 below).
// - Comparisons are exact and case-sensitive. A missing attribute reads as one empty value.
//   "AVEC a = v" holds when any value of a equals v; "AVEC a <> v" when any value differs from v;
//   "SANS a = v" when no value of a equals v; "SANS a <> v" when no value differs from v.
// - Result: one attribute per record; its values are the wanted attributes in the order asked
//   (the value marks inside a multivalued attribute become sub-value marks). An empty selection
//   gives an empty whole text.
// - A malformed sentence (unclosed quote, unknown word, missing part, unknown file) raises
//   kErrBadQuery (kErrNoSuchFile for an unknown file) and never returns a partial result.
// - "AND" between two conditions may be left out; keywords are in capitals. The request's file
//   name (attribute 2) may be empty; otherwise it must be the sentence's file (kErrBadQuery). An
//   empty list of wanted attributes gives the ids. `count` receives the number of records
//   selected (left alone on error); options are ignored.
// Prefix and equality conditions on the id and on attribute 1 are answered from indexes, without
// reading every record of the file. Failures of SQLite itself raise kErrStorage.
//
// Four points are deliberate. They are what a payroll operator expects and what established
// multivalue databases do; do not "fix" them. Every backend of the store keeps them (the server
// store of pg_store.h too), held by the shared tests of store_contract_test.cc:
// 1. Comparisons are exact byte strings, never numbers: "012" is not "12", "1.50" is not "1.5".
// 2. Only a final "]" inside the quotes is special. "^" and a leading "[" are literal characters,
//    and so is any other "]": "PRIME]]" selects the texts starting with "PRIME]".
// 3. PAR on a multivalued attribute sorts by the attribute's whole text, its value marks
//    included; a value mark sorts after every character of a text, so "B" < "BA" < "B" mark "A"
//    < "C".
// 4. SELECT with PAR promises the order of the sort keys only: records with equal keys may come
//    in any order (SSELECT breaks those ties by the id).
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gateways/dba.h"
#include "store/store.h"

namespace talvero::store {

class SqliteDatabase : public Store {
 public:
  // Opens the store at path, creating it (with the four files) when it does not exist and mode
  // allows. ":memory:" gives a private in-memory store.
  static std::shared_ptr<SqliteDatabase> Open(const std::string& path,
                                              OpenMode mode = OpenMode::kCreateIfMissing);
  ~SqliteDatabase() override;

  std::shared_ptr<DBAFile> DBOpen(const std::string& file) override;
  DynArrayPtr DBQuery(const std::string& request, const std::string& options,
                      int32_t& count) override;
  // BEGIN IMMEDIATE ... COMMIT on this store's connection; a nested call is a savepoint of the
  // transaction around it. Reads in the body see its writes.
  void DBTransaction(const std::function<void()>& body) override;

  // Direct access for set-up tools and tests, and the change journal (store.h).
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

  struct Impl;

 private:
  explicit SqliteDatabase(std::unique_ptr<Impl> impl);
  std::shared_ptr<Impl> impl_;
};

}  // namespace talvero::store
