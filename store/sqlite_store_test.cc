#include "store/sqlite_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "store/test_notation.h"

namespace talvero::store {
namespace {

// "number: text" of the error an action raises, or "none".
std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ComponentError& e) {
    return std::to_string(e.Number()) + ": " + e.what();
  }
  return "none";
}

std::string FileList(SqliteDatabase& db) {
  std::string text;
  for (const std::string& file : db.Files()) text += (text.empty() ? "" : " ") + file;
  return text;
}

std::string TempPath() {
  return (std::filesystem::temp_directory_path() /
          ("store-test-" + std::to_string(getpid()) + ".db"))
      .string();
}

void RemoveStore(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
}

TEST(SqliteStoreTest, NewStoreHoldsTheFourEmptyFiles) {
  auto db = SqliteDatabase::Open(":memory:");
  EXPECT_EQ("ASSOCIATION COMPTEUR PLANCOMPTABLE RUBSAISIE", FileList(*db));
  int32_t count = -1;
  EXPECT_EQ("", db->DBQuery(Marks("SSELECT RUBSAISIE^RUBSAISIE^0 1"), "", count)->Get());
  EXPECT_EQ(0, count);
  EXPECT_EQ("RUBSAISIE", db->DBOpen("RUBSAISIE")->Name());
  EXPECT_EQ("-2147221488: Le fichier RUBSAISIES n'existe pas.",
            ErrorOf([&] { db->DBOpen("RUBSAISIES"); }));
}

TEST(SqliteStoreTest, ReadingAMissingRecordGivesTheNotFoundNumber) {
  auto db = SqliteDatabase::Open(":memory:");
  auto file = db->DBOpen("PLANCOMPTABLE");
  std::string error = ErrorOf([&] { file->DBRead("4110000"); });
  EXPECT_EQ("-2147221493: L'enregistrement \"4110000\" n'existe pas dans le fichier PLANCOMPTABLE.",
            error);
  EXPECT_EQ(kErrRecordNotFound, -2147221493);
}

TEST(SqliteStoreTest, ARecordReadIsWrittenBackWhereItCameFrom) {
  auto db = SqliteDatabase::Open(":memory:");
  db->PutRecord("COMPTEUR", "999", Marks("^^041"));
  auto counter = db->DBOpen("COMPTEUR")->DBRead("999");
  EXPECT_EQ("999", counter->Get(0));
  EXPECT_EQ("041", counter->Get(3));
  counter->SetNumber(3, 42);
  counter->DBWrite();
  EXPECT_EQ("^^42", Readable(db->GetRecord("COMPTEUR", "999").value()));
  EXPECT_EQ(std::nullopt, db->GetRecord("RUBSAISIE", "999"));
}

TEST(SqliteStoreTest, DBRecordIsBoundEvenBeforeTheRecordExists) {
  auto db = SqliteDatabase::Open(":memory:");
  auto file = db->DBOpen("RUBSAISIE");
  auto fresh = file->DBRecord("042");
  EXPECT_EQ("", fresh->Get());
  EXPECT_EQ("042", fresh->Get(0));
  fresh->Set(1, "NOUVELLE");
  fresh->DBWrite();
  EXPECT_EQ("NOUVELLE", file->DBRead("042")->Get(1));
  EXPECT_EQ("NOUVELLE", file->DBRecord("042")->Get(1));

  // The record keeps its file, and the store behind it, after the caller lets them go.
  file.reset();
  db.reset();
  fresh->Set(2, "0");
  fresh->DBWrite();
}

TEST(SqliteStoreTest, QueriesGoThroughTheDatabaseObject) {
  auto db = SqliteDatabase::Open(":memory:");
  db->PutRecord("RUBSAISIE", "003", "SALAIRE DE BASE");
  db->PutRecord("RUBSAISIE", "014", "PRIME D'ANCIENNETE");
  db->PutRecord("RUBSAISIE", "022", "PRIME DE PANIER");
  DBADynArray request;
  request.Set(1, "SSELECT RUBSAISIE AVEC 1 = \"PRIME]\" PAR 1");
  request.Set(2, "RUBSAISIE");
  request.Set(3, "0 1");
  int32_t count = 0;
  DynArrayPtr result = db->DBQuery(request.Get(), "", count);
  EXPECT_EQ("014]PRIME D'ANCIENNETE^022]PRIME DE PANIER", Readable(result->Get()));
  EXPECT_EQ(2, count);
  EXPECT_EQ(2, result->DCount());
  EXPECT_EQ("PRIME DE PANIER", result->Get(2, 2));

  request.Set(1, "SSELECT RUBSAISIE AVEC 1 = \"PRIME]\" PARR 1");
  count = 7;
  EXPECT_EQ(std::to_string(kErrBadQuery),
            ErrorOf([&] { db->DBQuery(request.Get(), "", count); }).substr(0, 11));
  EXPECT_EQ(7, count);
}

TEST(SqliteStoreTest, SetUpAccessCreatesFilesAndRemovesRecords) {
  auto db = SqliteDatabase::Open(":memory:");
  db->CreateFile("TAUX");
  db->PutRecord("TAUX", "1", "A");
  EXPECT_EQ("A", db->DBOpen("TAUX")->DBRead("1")->Get());
  EXPECT_TRUE(db->DeleteRecord("TAUX", "1"));
  EXPECT_FALSE(db->DeleteRecord("TAUX", "1"));
  EXPECT_EQ(std::to_string(kErrNoSuchFile),
            ErrorOf([&] { db->PutRecord("AUTRE", "1", "A"); }).substr(0, 11));
}

TEST(SqliteStoreTest, AStoreFileKeepsItsRecordsAndIsSharedByItsUsers) {
  std::string path = TempPath();
  RemoveStore(path);
  {
    auto db = SqliteDatabase::Open(path);
    auto record = db->DBOpen("RUBSAISIE")->DBRecord("012");
    record->Set(Marks("PRIME VACANCES^6"));
    record->DBWrite();
  }
  {
    auto first = SqliteDatabase::Open(path);
    auto second = SqliteDatabase::Open(path);
    auto item = first->DBOpen("RUBSAISIE")->DBRead("012");
    EXPECT_EQ("PRIME VACANCES^6", Readable(item->Get()));
    item->Set(18, "1");
    item->DBWrite();
    EXPECT_EQ("1", second->DBOpen("RUBSAISIE")->DBRead("012")->Get(18));
    second->DeleteRecord("RUBSAISIE", "012");
    EXPECT_EQ(std::to_string(kErrRecordNotFound),
              ErrorOf([&] { first->DBOpen("RUBSAISIE")->DBRead("012"); }).substr(0, 11));
  }
  RemoveStore(path);
}

}  // namespace
}  // namespace talvero::store
