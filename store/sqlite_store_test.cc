#include "store/sqlite_store.h"

#include <gtest/gtest.h>

#include "store/test_notation.h"

namespace talvero::store {
namespace {

// Queries, errors, sharing, insertion, transactions and several processes making a new store are
// the store contract, held by both backends; what follows is the embedded store's own.
TEST(SqliteStoreTest, RecordsAreWrittenBackWhereTheyCameFrom) {
  auto db = SqliteDatabase::Open(":memory:");
  db->PutRecord("COMPTEUR", "999", Marks("^^041"));
  auto counter = db->DBOpen("COMPTEUR")->DBRead("999");
  EXPECT_EQ("999", counter->Get(0));
  counter->SetNumber(3, 42);
  counter->DBWrite();
  EXPECT_EQ("^^42", Readable(db->GetRecord("COMPTEUR", "999").value()));

  // DBRecord is bound before the record exists, and keeps its store after the caller lets it go.
  auto fresh = db->DBOpen("RUBSAISIE")->DBRecord("042");
  fresh->Set(1, "NOUVELLE");
  fresh->DBWrite();
  EXPECT_EQ("NOUVELLE", db->DBOpen("RUBSAISIE")->DBRead("042")->Get(1));
  db.reset();
  fresh->DBWrite();
}

}  // namespace
}  // namespace talvero::store
