#pragma once
// What every backend of the record store offers beyond the database component: direct access for
// set-up tools, the change journal and one-transaction batches. The embedded store
// (sqlite_store.h) and the server store (pg_store.h) give the same answers to the same calls, byte
// for byte; sqlite_store.h states the contract of records and query sentences they both keep.
//
// The change journal: every write and every delete of a record, by the screen (DBWrite) or
// through this interface, keeps in the same transaction the record's text before and after, the
// time and the name of the operator set with SetOperator. The text before is the one stored at
// the moment of the write, read under the write's own lock, so a version that another operator's
// concurrent write overwrote is still in the journal. Versions of a record are numbered from 1 in
// the order they were written; a delete is a version without text after. DBInsert journals the
// records it stores.
//
// DBTransaction (dba.h) nests on every backend: an inner call whose body fails rolls back its own
// writes only, and the transaction around it goes on.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gateways/dba.h"

namespace talvero::store {

// The files a new store holds, without records.
const std::vector<std::string>& FirstFiles();

// One change of one record, as the journal keeps it.
struct Version {
  int number = 0;
  std::string time;  // "YYYY-MM-DD HH:MM:SS" in UTC
  std::string operator_name;
  std::optional<std::string> before;  // none: the record did not exist
  std::optional<std::string> after;   // none: the record was deleted
};

class Store : public DBADatabase {
 public:
  // The name written in the journal for every change from now on (the host's client name).
  virtual void SetOperator(const std::string& name) = 0;

  // A file the store does not hold raises kErrNoSuchFile; an empty id, or one holding a mark,
  // raises kErrStorage.
  virtual void PutRecord(const std::string& file, const std::string& id,
                         const std::string& text) = 0;
  virtual bool DeleteRecord(const std::string& file, const std::string& id) = 0;
  virtual std::optional<std::string> GetRecord(const std::string& file, const std::string& id) = 0;
  // Adds an empty file; a file name that could not be written in a query sentence raises
  // kErrStorage. Adding a file the store holds changes nothing.
  virtual void CreateFile(const std::string& file) = 0;
  virtual std::vector<std::string> Files() = 0;  // in byte order

  // Calls visit(id, text) for every record of the file, in id order, from one snapshot.
  using Visitor = std::function<void(std::string_view id, std::string_view text)>;
  virtual void ForEachRecord(const std::string& file, const Visitor& visit) = 0;

  // The journal of one record, oldest first; empty when it never changed.
  virtual std::vector<Version> History(const std::string& file, const std::string& id) = 0;
  // Stores the text the record had after that version (deletes it when that version is a
  // delete), as a new version. An unknown version raises kErrRecordNotFound.
  virtual void Restore(const std::string& file, const std::string& id, int version) = 0;

  // Faults of the store's own structures, one readable line each; empty when it is sound.
  virtual std::vector<std::string> IntegrityProblems() = 0;
};

enum class OpenMode {
  kCreateIfMissing,  // a missing store is made, holding the first files
  kExisting,         // a missing store raises kErrStorage
};

// An open file of either store. Records read from it stay bound to it, so a file (and the
// connection behind it) lives as long as any of its records. A store gives the two operations
// below; reading, binding and the missing-record error are the same for both.
class RecordFile : public DBAFile,
                   public RecordSink,
                   public std::enable_shared_from_this<RecordFile> {
 public:
  explicit RecordFile(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const override { return name_; }
  DynArrayPtr DBRead(const std::string& id) override;
  DynArrayPtr DBRecord(const std::string& id) override;
  bool DBInsert(const std::string& id, const std::string& text) override {
    return Store(id, text, /*only_new=*/true);
  }
  void WriteRecord(const std::string& id, const std::string& text) override {
    Store(id, text, /*only_new=*/false);
  }

 protected:
  // The record's whole text, or nothing when it does not exist.
  virtual std::optional<std::string> Fetch(const std::string& id) = 0;
  // Stores text under id; with only_new, writes nothing and answers false when the id is taken.
  virtual bool Store(const std::string& id, const std::string& text, bool only_new) = 0;

 private:
  DynArrayPtr Bound(const std::string& text, const std::string& id);
  std::string name_;
};

// True for a "postgresql://" or "postgres://" connection string.
bool IsServerUrl(const std::string& path_or_url);

// The server store for a connection string, the embedded store for any other text (a file path,
// or ":memory:"). Failures raise ComponentError(kErrStorage) with a readable text.
std::shared_ptr<Store> OpenStore(const std::string& path_or_url,
                                 OpenMode mode = OpenMode::kCreateIfMissing);

// Checks shared by the backends; both raise ComponentError(kErrStorage).
void CheckRecordId(const std::string& id);
void CheckFileName(const std::string& file);
// Whether text is well-formed UTF-8 (the only texts a server's text column holds).
bool IsUtf8(std::string_view text);

// The first text that does not start with prefix (bytes compared unsigned), or nothing when
// every longer text does.
std::optional<std::string> PrefixEnd(std::string prefix);

}  // namespace talvero::store
