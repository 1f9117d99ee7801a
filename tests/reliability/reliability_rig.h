#pragma once
// Helpers of the reliability suite, gathered here: how long to run (short under ctest, long under
// `make reliability`), a database double that makes writes fail on demand and counts them, a dump
// of a whole store, and the figures each test reports. Fresh stores of either backend come from
// store/test_notation.h.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "gateways/dba.h"
#include "gateways/dba_error.h"
#include "store/store.h"

namespace talvero::reliability {

// TALVERO_LONG=1 (set by `make reliability`) selects the long form of every test.
inline bool LongRun() {
  const char* value = std::getenv("TALVERO_LONG");
  return value && std::string(value) == "1";
}
inline int Rounds(int short_form, int long_form) {
  return LongRun() ? long_form : short_form;
}

// One line of figures on stdout, which `make reliability` keeps: "reliability: crash rounds=..".
inline void Report(const std::string& test, const std::string& figures) {
  std::printf("reliability: %s %s\n", test.c_str(), figures.c_str());
  std::fflush(stdout);
}

// Every record of every file, "FILE/id=text" one per line, in byte order.
inline std::string Dump(store::Store& db) {
  std::string dump;
  for (const std::string& file : db.Files()) {
    int32_t count = 0;
    DynArrayPtr ids =
        db.DBQuery(std::string("SSELECT ") + file + kAttrMark + file + kAttrMark + "0", "", count);
    for (int i = 1; i <= ids->DCount(); ++i) {
      dump += file + "/" + ids->Get(i) + "=" + db.GetRecord(file, ids->Get(i)).value_or("?") + "\n";
    }
  }
  return dump;
}

// How the injected writes fail: the two failures a full disk and a read-only file give SQLite.
enum class WriteFault { kNone, kDiskFull, kReadOnly };

// A database whose writes fail on demand, after `writes_before_fault` more writes have gone
// through, and which counts every write tried (in the manner of an environment double that
// injects errors into the files of a key-value store). Reads and queries reach the store as they
// are; records handed out stay bound to this double, so that DBWrite comes here first.
class InjectingDatabase : public DBADatabase {
 public:
  explicit InjectingDatabase(std::shared_ptr<DBADatabase> store) : store_(std::move(store)) {}

  void Fail(WriteFault fault, int writes_before_fault = 0) {
    fault_ = fault;
    writes_before_fault_ = writes_before_fault;
  }
  int WritesTried() const { return writes_tried_; }

  std::shared_ptr<DBAFile> DBOpen(const std::string& file) override;
  DynArrayPtr DBQuery(const std::string& request, const std::string& options,
                      int32_t& count) override {
    return store_->DBQuery(request, options, count);
  }
  void DBTransaction(const std::function<void()>& body) override { store_->DBTransaction(body); }

  // Called before each write: raises the fault when it is due.
  void BeforeWrite() {
    ++writes_tried_;
    if (fault_ == WriteFault::kNone) return;
    if (writes_before_fault_ > 0) {
      --writes_before_fault_;
      return;
    }
    throw ComponentError(kErrStorage, fault_ == WriteFault::kDiskFull
                                          ? "Erreur de la base d'enregistrements (écriture) : "
                                            "database or disk is full"
                                          : "Erreur de la base d'enregistrements (écriture) : "
                                            "attempt to write a readonly database");
  }

 private:
  std::shared_ptr<DBADatabase> store_;
  WriteFault fault_ = WriteFault::kNone;
  int writes_before_fault_ = 0;
  int writes_tried_ = 0;
};

class InjectingFile : public DBAFile,
                      public RecordSink,
                      public std::enable_shared_from_this<InjectingFile> {
 public:
  InjectingFile(InjectingDatabase& db, std::shared_ptr<DBAFile> file)
      : db_(db), file_(std::move(file)) {}
  const std::string& Name() const override { return file_->Name(); }
  DynArrayPtr DBRead(const std::string& id) override { return Rebound(file_->DBRead(id), id); }
  DynArrayPtr DBRecord(const std::string& id) override { return Rebound(file_->DBRecord(id), id); }
  bool DBInsert(const std::string& id, const std::string& text) override {
    db_.BeforeWrite();
    return file_->DBInsert(id, text);
  }
  void WriteRecord(const std::string& id, const std::string& text) override {
    db_.BeforeWrite();
    DynArrayPtr record = file_->DBRecord(id);
    record->Set(text);
    record->DBWrite();
  }

 private:
  DynArrayPtr Rebound(DynArrayPtr record, const std::string& id) {
    record->Bind(shared_from_this(), id);
    return record;
  }
  InjectingDatabase& db_;
  std::shared_ptr<DBAFile> file_;
};

inline std::shared_ptr<DBAFile> InjectingDatabase::DBOpen(const std::string& file) {
  return std::make_shared<InjectingFile>(*this, store_->DBOpen(file));
}

}  // namespace talvero::reliability
