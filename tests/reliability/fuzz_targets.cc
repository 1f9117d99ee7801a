#include "tests/reliability/fuzz_targets.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "gateways/dba_error.h"
#include "gateways/dyn_array.h"
#include "store/query.h"
#include "store/sqlite_store.h"

namespace talvero::reliability {

namespace {

[[noreturn]] void Fault(const std::string& what, const std::string& input) {
  std::fprintf(stderr, "fuzz fault: %s (input of %zu bytes)\n", what.c_str(), input.size());
  std::abort();
}

// One small store for the whole process: fuzzing runs millions of inputs.
store::SqliteDatabase& SmallStore() {
  static std::shared_ptr<store::SqliteDatabase> db = [] {
    auto db = store::SqliteDatabase::Open(":memory:");
    const char* texts[] = {"SALAIRE DE BASE",
                           "PRIME\xFD"
                           "AUTRE",
                           "",
                           "\xFE\xFE\xFE"
                           "1",
                           "PRIME D'ANCIENNETE\xFE"
                           "5"};
    for (int i = 0; i < 5; ++i) db->PutRecord("RUBSAISIE", "00" + std::to_string(i), texts[i]);
    db->PutRecord("PLANCOMPTABLE", "0014110000000", "CLIENTS");
    return db;
  }();
  return *db;
}

}  // namespace

void FuzzQuery(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string request = !input.empty() && input[0] == kAttrMark
                            ? input.substr(1)
                            : input + kAttrMark + kAttrMark + "0 1 18";
  try {
    store::ParseQuery(std::string(store::AttributeOf(request, 1)));
  } catch (const ComponentError& e) {
    if (e.Number() != kErrBadQuery) Fault("parse raised " + std::to_string(e.Number()), input);
  } catch (...) {
    Fault("parse raised something else than a ComponentError", input);
  }
  try {
    int32_t count = -1;
    DynArrayPtr result = SmallStore().DBQuery(request, "", count);
    if (count != result->DCount() && !(count == 1 && result->Get().empty()))
      Fault("count " + std::to_string(count) + " for " + std::to_string(result->DCount()) + " rows",
            input);
  } catch (const ComponentError& e) {
    if (e.Number() != kErrBadQuery && e.Number() != kErrNoSuchFile)
      Fault("query raised " + std::to_string(e.Number()) + ": " + e.what(), input);
  } catch (...) {
    Fault("query raised something else than a ComponentError", input);
  }
}

void FuzzRecordText(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  try {
    DBADynArray record(text);
    if (record.Get() != text) Fault("whole text changed", text);
    std::string joined;
    for (int a = 1; a <= std::max(1, record.DCount()); ++a) {
      std::string attr;
      for (int v = 1; v <= std::max(1, record.DCount(a)); ++v)
        attr += (v > 1 ? std::string(1, kValueMark) : "") + record.Get(a, v);
      if (attr != record.Get(a)) Fault("values do not join into attribute", text);
      joined += (a > 1 ? std::string(1, kAttrMark) : "") + attr;
      record.Set(a, record.Get(a));
    }
    if (joined != text && !(text.empty() && joined.empty())) Fault("attributes do not join", text);
    if (record.Get() != text) Fault("writing an attribute back changed the text", text);

    store::SqliteDatabase& db = SmallStore();
    db.PutRecord("RUBSAISIE", "FUZZ", text);
    if (db.GetRecord("RUBSAISIE", "FUZZ") != text) Fault("store changed the text", text);
    int32_t count = 0;
    db.DBQuery(std::string("SSELECT RUBSAISIE AVEC 1 = \"") + "PRIME]\" PAR 1" + kAttrMark +
                   kAttrMark + "0 1 2 18",
               "", count);
    db.DBQuery(std::string("SSELECT RUBSAISIE SANS 0 = \"003\" AND AVEC 18 = \"\" PAR 3") +
                   kAttrMark + kAttrMark + "0 1",
               "", count);
  } catch (const ComponentError& e) {
    Fault(std::string("record raised ") + e.what(), text);
  } catch (...) {
    Fault("record raised something else than a ComponentError", text);
  }
}

}  // namespace talvero::reliability
