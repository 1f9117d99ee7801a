#pragma once
// Test rig for the entry screen: the control on a headless screen over a private in-memory store,
// with full rights and the library's own tools object. Records are written in the scenario
// notation ("^" between attributes, "]" between values); what the operator saw is read back as
// one line per event.
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
