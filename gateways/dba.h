#pragma once
// The database component: a multivalue database of files of records.
// Every failure is a ComponentError carrying the component's error number.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "gateways/dba_error.h"
#include "gateways/dyn_array.h"

namespace talvero {

// One open file of records.
class DBAFile {
 public:
  virtual ~DBAFile() = default;
  virtual const std::string& Name() const = 0;
  // The record, bound to this file and id. Missing record: kErrRecordNotFound.
  virtual DynArrayPtr DBRead(const std::string& id) = 0;
  // A record object bound to this file and id; empty when the record does not exist yet.
  virtual DynArrayPtr DBRecord(const std::string& id) = 0;
  // Stores a new record under id only when no record of that id exists: never replaces one.
  // Returns false, writing nothing, when the id is taken.
  virtual bool DBInsert(const std::string& id, const std::string& text) = 0;
};

// The client object: never called by the control, only handed on to the help display.
class DBAClient {
 public:
  virtual ~DBAClient() = default;
  virtual std::string Name() const { return "client"; }
};

// The open database.
class DBADatabase {
 public:
  virtual ~DBADatabase() = default;
  // A file the database holds; any other name raises kErrNoSuchFile.
  virtual std::shared_ptr<DBAFile> DBOpen(const std::string& file) = 0;
  // request: whole text of a DBADynArray: 1 = query sentence, 2 = file name, 3 = wanted attribute
  // numbers separated by blanks ("0 1 18", 0 is the id). Result: one attribute per selected
  // record in the sentence's order, value k = k-th wanted attribute. Empty selection: "".
  // A malformed sentence raises kErrBadQuery and never gives a partial result.
  virtual DynArrayPtr DBQuery(const std::string& request, const std::string& options,
                              int32_t& count) = 0;
  // Runs body as one transaction: what it reads and writes through this database, its files and
  // their bound records, is seen by other users all at once or not at all, and other writers wait
  // until it ends. An exception from body rolls everything back and propagates.
  virtual void DBTransaction(const std::function<void()>& body) = 0;
};

}  // namespace talvero
