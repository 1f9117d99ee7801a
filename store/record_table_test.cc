#include "store/record_table.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <algorithm>

#include "store/test_notation.h"

namespace talvero::store {
namespace {

const std::vector<std::string> kFiles = {"RUBSAISIE", "PLANCOMPTABLE"};

// Reading, writing, deleting and the refusals are the store contract; a table in a folder that
// does not exist cannot even be opened.
TEST(RecordTableTest, ATableInAMissingFolderCannotBeOpened) {
  EXPECT_EQ(kErrStorage, ErrorOf([&] { RecordTable("/absent/dossier/base.db", kFiles); }));
}
// Prefixes compare bytes, 0xFF included; a multivalued attribute 1 is a candidate of every range.
TEST(RecordTableTest, RangeScans) {
  RecordTable table(":memory:", kFiles);
  for (const char* id : {"410", "411", "4110000", "4119999", "412", "A\xFF", "A\xFF\x01", "\xFF"})
    table.Put("PLANCOMPTABLE", id, "X");
  for (auto [id, text] : {std::pair{"001", "PRIME A^1"}, std::pair{"002", "SALAIRE^PRIME"},
                          std::pair{"003", "AUTRE]PRIME B"}, std::pair{"004", "PRIME"},
                          std::pair{"005", "^1"}, std::pair{"4111", "X"}}) {
    table.Put("RUBSAISIE", id, Marks(text));
  }
  auto scan = [&](const std::string& file, const Access& access) {
    std::vector<std::string> ids;
    table.Scan(file, access, [&](std::string_view id, std::string_view) { ids.emplace_back(id); });
    std::sort(ids.begin(), ids.end());
    std::string text;
    for (const std::string& id : ids) text += (text.empty() ? "" : " ") + id;
    return text;
  };
  EXPECT_EQ("411 4110000 4119999", scan("PLANCOMPTABLE", {Access::kIdRange, "411", true}));
  EXPECT_EQ("411", scan("PLANCOMPTABLE", {Access::kIdRange, "411", false}));
  EXPECT_EQ("A\xFF A\xFF\x01", scan("PLANCOMPTABLE", {Access::kIdRange, "A\xFF", true}));
  EXPECT_EQ("\xFF", scan("PLANCOMPTABLE", {Access::kIdRange, "\xFF", true}));
  EXPECT_EQ("001 003 004", scan("RUBSAISIE", {Access::kAttr1Range, "PRIME", true}));
  EXPECT_EQ("003 005", scan("RUBSAISIE", {Access::kAttr1Range, "", false}));
  table.Put("RUBSAISIE", "003", "AUTRE");
  EXPECT_EQ("001 004", scan("RUBSAISIE", {Access::kAttr1Range, "PRIME", true}));
}

// A store made when records were kept in id order and the journal filed under each record is
// rewritten when opened: the same records, their versions kept and carried on.
TEST(RecordTableTest, AStoreOfTheEarlierLayoutIsBroughtUpToDateWhenOpened) {
  TempDatabase base;
  sqlite3* old = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(base.path.c_str(), &old));
  const std::string layout =
      "CREATE TABLE files (name TEXT PRIMARY KEY) WITHOUT ROWID;"
      "INSERT INTO files VALUES ('RUBSAISIE');"
      "CREATE TABLE records (file TEXT NOT NULL, id BLOB NOT NULL, body BLOB NOT NULL, "
      "attr1 BLOB NOT NULL, attr1_multivalued INTEGER NOT NULL, PRIMARY KEY (file, id)) "
      "WITHOUT ROWID;"
      "CREATE INDEX records_attr1_covering ON records (file, attr1, id, attr1_multivalued, body);"
      "CREATE TABLE journal (file TEXT NOT NULL, id BLOB NOT NULL, version INTEGER NOT NULL, "
      "at TEXT NOT NULL, operator TEXT NOT NULL, before BLOB, after BLOB, "
      "PRIMARY KEY (file, id, version)) WITHOUT ROWID;"
      "INSERT INTO records VALUES ('RUBSAISIE', CAST('002' AS BLOB), CAST('B' AS BLOB), "
      "CAST('B' AS BLOB), 0), ('RUBSAISIE', CAST('001' AS BLOB), CAST('C' AS BLOB), "
      "CAST('C' AS BLOB), 0);"
      "INSERT INTO journal VALUES ('RUBSAISIE', CAST('001' AS BLOB), 1, '2020-01-01 00:00:00', "
      "'ancien', NULL, CAST('C' AS BLOB)), ('RUBSAISIE', CAST('003' AS BLOB), 3, "
      "'2020-01-03 00:00:00', 'ancien', CAST('F' AS BLOB), NULL), ('RUBSAISIE', "
      "CAST('003' AS BLOB), 1, '2020-01-01 00:00:00', 'ancien', NULL, CAST('D' AS BLOB)), "
      "('RUBSAISIE', CAST('003' AS BLOB), 2, '2020-01-02 00:00:00', 'ancien', "
      "CAST('D' AS BLOB), CAST('F' AS BLOB));";
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(old, layout.c_str(), nullptr, nullptr, nullptr));
  sqlite3_close(old);

  RecordTable table(base.path, kFiles);
  EXPECT_EQ("C", table.Get("RUBSAISIE", "001").value_or("?"));
  std::string order;
  table.Scan("RUBSAISIE", {{}, ScanShape::kByAttr1, false, {}},
             [&](const RecordView& record) { order += std::string(record.id) + " "; });
  EXPECT_EQ("002 001 ", order);
  EXPECT_FALSE(table.Insert("RUBSAISIE", "001", "A"));
  table.SetOperator("paie");
  table.Put("RUBSAISIE", "001", "A");
  std::vector<Version> versions = table.History("RUBSAISIE", "001");
  ASSERT_EQ(2u, versions.size());
  EXPECT_EQ("ancien", versions[0].operator_name);
  EXPECT_EQ("paie", versions[1].operator_name);
  EXPECT_EQ("C", versions[1].before.value_or("?"));
  EXPECT_EQ("A", versions[1].after.value_or("?"));
  // A record deleted before the rewrite keeps its versions when created again.
  table.Put("RUBSAISIE", "003", "E");
  std::string deleted_then_created;
  for (const Version& v : table.History("RUBSAISIE", "003"))
    deleted_then_created +=
        std::to_string(v.number) + v.before.value_or("-") + v.after.value_or("-");
  EXPECT_EQ("1-D2DF3F-4-E", deleted_then_created);
  EXPECT_TRUE(table.IntegrityProblems().empty());
}

// A connection waits for the write lock another process holds instead of failing, and a database
// opened again keeps its files and gets no first files. SQLite state must not cross a fork: no
// connection is open while it happens.
TEST(RecordTableTest, ProcessesShareOneDatabaseFile) {
  TempDatabase base;
  RecordTable(base.path, kFiles).CreateFile("ASSOCIATION");
  int locked[2];
  ASSERT_EQ(0, pipe(locked));
  pid_t child = fork();
  if (child == 0) {
    sqlite3* holder = nullptr;
    _exit(sqlite3_open(base.path.c_str(), &holder) ||
          sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) ||
          write(locked[1], "x", 1) != 1 || usleep(300 * 1000) ||
          sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr));
  }
  char signal;
  ASSERT_EQ(1, read(locked[0], &signal, 1));
  RecordTable table(base.path, {"NOUVEAU"});
  table.Put("RUBSAISIE", "013", "PENDANT");
  int status = -1;
  waitpid(child, &status, 0);
  EXPECT_EQ(0, status);
  EXPECT_EQ((std::vector<std::string>{"ASSOCIATION", "PLANCOMPTABLE", "RUBSAISIE"}), table.Files());
}

}  // namespace
}  // namespace talvero::store
