#include "store/sqlite_store.h"

#include <gtest/gtest.h>

#include "store/test_notation.h"

namespace talvero::store {
namespace {

TEST(SqliteStoreTest, QueriesAndErrorsOfTheDatabaseObject) {
  auto db = SqliteDatabase::Open(":memory:");
  EXPECT_EQ((std::vector<std::string>{"ASSOCIATION", "COMPTEUR", "PLANCOMPTABLE", "RUBSAISIE"}),
            db->Files());
  EXPECT_EQ(kErrNoSuchFile, ErrorOf([&] { db->DBOpen("RUBSAISIES"); }));
  EXPECT_EQ(-2147221493, ErrorOf([&] { db->DBOpen("PLANCOMPTABLE")->DBRead("4110000"); }));

  int32_t count = 0;
  auto query = [&](const std::string& sentence) {
    return Readable(db->DBQuery(sentence + kAttrMark + kAttrMark + "0 1", "", count)->Get());
  };
  db->PutRecord("RUBSAISIE", "003", "SALAIRE DE BASE");
  db->PutRecord("RUBSAISIE", "014", "PRIME D'ANCIENNETE");
  EXPECT_EQ("014]PRIME D'ANCIENNETE", query("SSELECT RUBSAISIE AVEC 1 = \"PRIME]\" PAR 1"));
  EXPECT_EQ(1, count);
  // A refused query leaves the count alone.
  EXPECT_EQ(kErrBadQuery, ErrorOf([&] { query("SSELECT RUBSAISIE PARR 1"); }));
  EXPECT_EQ(1, count);
}

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

TEST(SqliteStoreTest, AStoreFileKeepsItsRecordsAndIsSharedByItsUsers) {
  TempDatabase base;
  SqliteDatabase::Open(base.path)->PutRecord("RUBSAISIE", "012", Marks("PRIME VACANCES^6"));
  auto first = SqliteDatabase::Open(base.path);
  auto second = SqliteDatabase::Open(base.path);
  auto item = first->DBOpen("RUBSAISIE")->DBRead("012");
  EXPECT_EQ("PRIME VACANCES^6", Readable(item->Get()));
  item->Set(18, "1");
  item->DBWrite();
  EXPECT_EQ("1", second->DBOpen("RUBSAISIE")->DBRead("012")->Get(18));
  second->DeleteRecord("RUBSAISIE", "012");
  EXPECT_EQ(kErrRecordNotFound, ErrorOf([&] { first->DBOpen("RUBSAISIE")->DBRead("012"); }));
}

TEST(SqliteStoreTest, SeveralProcessesMayCreateTheSameNewStoreAtOnce) {
  for (int round = 0; round < 12; ++round) {
    TempDatabase base("-new");
    std::vector<int> statuses = InProcesses(4, [&](int) {
      auto db = SqliteDatabase::Open(base.path);
      return db->Files().size() == 4 ? 0 : 1;
    });
    EXPECT_EQ(std::vector<int>(4, 0), statuses) << "round " << round;
  }
}

TEST(SqliteStoreTest, InsertNeverReplacesAndATransactionIsAllOrNothing) {
  auto db = SqliteDatabase::Open(":memory:");
  auto items = db->DBOpen("RUBSAISIE");
  EXPECT_TRUE(items->DBInsert("042", "PRIME"));
  EXPECT_FALSE(items->DBInsert("042", "AUTRE"));
  EXPECT_EQ("PRIME", items->DBRead("042")->Get());
  EXPECT_EQ(kErrNoSuchFile, ErrorOf([&] { db->DBOpen("PAIE"); }));

  // A failed inner transaction undoes only its own writes; a failed outer one undoes everything.
  auto failing = [] { throw ComponentError(kErrStorage, "panne"); };
  EXPECT_EQ(kErrStorage, ErrorOf([&] {
              db->DBTransaction([&] {
                items->DBInsert("043", "GARDEE");
                EXPECT_EQ("GARDEE", items->DBRead("043")->Get());
                EXPECT_EQ(kErrStorage, ErrorOf([&] {
                            db->DBTransaction([&] {
                              items->DBInsert("044", "ANNULEE");
                              failing();
                            });
                          }));
                EXPECT_FALSE(db->GetRecord("RUBSAISIE", "044"));
                failing();
              });
            }));
  EXPECT_FALSE(db->GetRecord("RUBSAISIE", "043"));
  db->DBTransaction([&] {
    db->DBTransaction([&] { items->DBInsert("045", "IMBRIQUEE"); });
    int32_t count = 0;
    db->DBQuery(std::string("SSELECT RUBSAISIE") + kAttrMark + kAttrMark + "0", "", count);
    EXPECT_EQ(2, count);
  });
  EXPECT_EQ("IMBRIQUEE", items->DBRead("045")->Get());
}

}  // namespace
}  // namespace talvero::store
