#pragma once
// Test rig for the entry screen: the control on a headless screen over a private in-memory store,
// with full rights and the library's own tools object. Records are written in the scenario
// notation ("^" between attributes, "]" between values); what the operator saw is read back as
// one line per event.
#include <functional>
#include <memory>
#include <string>

#include "component/ctr_talvero.h"
#include "outside/rights_object.h"
#include "replay/notation.h"
#include "screen/display.h"
#include "screen/model.h"
#include "screen/operator.h"
#include "store/sqlite_store.h"

namespace talvero::testing {

// The store with hooks that make it misbehave on demand: before_open and before_query run before
// every file opened and every query (and may throw); after_read runs after every record read, with
// the file's name (set it before the control opens its files).
class HookedDatabase : public DBADatabase {
 public:
  explicit HookedDatabase(std::shared_ptr<DBADatabase> store) : store_(std::move(store)) {}
  std::shared_ptr<DBAFile> DBOpen(const std::string& file) override {
    if (before_open) before_open(file);
    return std::make_shared<HookedFile>(store_->DBOpen(file), after_read);
  }
  DynArrayPtr DBQuery(const std::string& request, const std::string& options,
                      int32_t& count) override {
    if (before_query) before_query();
    return store_->DBQuery(request, options, count);
  }
  void DBTransaction(const std::function<void()>& body) override { store_->DBTransaction(body); }

  std::function<void(const std::string& file)> before_open;
  std::function<void()> before_query;
  std::function<void(const std::string& file)> after_read;

 private:
  class HookedFile : public DBAFile {
   public:
    HookedFile(std::shared_ptr<DBAFile> file, std::function<void(const std::string&)> after_read)
        : file_(std::move(file)), after_read_(std::move(after_read)) {}
    const std::string& Name() const override { return file_->Name(); }
    DynArrayPtr DBRead(const std::string& id) override {
      DynArrayPtr record = file_->DBRead(id);
      if (after_read_) after_read_(Name());
      return record;
    }
    DynArrayPtr DBRecord(const std::string& id) override { return file_->DBRecord(id); }
    bool DBInsert(const std::string& id, const std::string& text) override {
      return file_->DBInsert(id, text);
    }

   private:
    std::shared_ptr<DBAFile> file_;
    std::function<void(const std::string&)> after_read_;
  };
  std::shared_ptr<DBADatabase> store_;
};

class EntryRig {
 public:
  EntryRig() : screen_(display_), op(screen_) { Put("COMPTEUR", "999", "^^041"); }

  void Put(const std::string& file, const std::string& id, const std::string& notation) {
    db->PutRecord(file, id, replay::StoredFromNotation(notation));
  }

  // Creates the control, hands it its objects in the host's order and runs Init.
  Ctr_Talvero& Init() {
    control = std::make_unique<Ctr_Talvero>(screen_);
    control->TheDatabase(host_db ? host_db : db);
    control->TheClient(std::make_shared<DBAClient>());
    control->DroitsUtilisateur(rights);
    control->Init();
    screen_.DoEvents();
    return *control;
  }

  // The events the operator saw since the last call, one per line.
  std::string Log() {
    std::string log;
    for (const screen::LoggedEvent& e : display_.Pending()) log += e.Describe() + "\n";
    display_.Pending().clear();
    return log;
  }

  std::string Record(const DynArrayPtr& record) const {
    return record ? replay::TrimmedNotation(replay::NotationFromStored(record->Get())) : "none";
  }

  std::string Focused() const { return screen_.Focused() ? screen_.Focused()->Name() : "none"; }

  screen::HeadlessDisplay display_;
  screen::Screen screen_;
  std::shared_ptr<store::SqliteDatabase> db = store::SqliteDatabase::Open(":memory:");
  std::shared_ptr<DBADatabase> host_db;  // handed to the control instead of db when set
  std::shared_ptr<outside::ConfiguredRights> rights = std::make_shared<outside::ConfiguredRights>();
  std::unique_ptr<Ctr_Talvero> control;
  screen::Operator op;
};

}  // namespace talvero::testing
