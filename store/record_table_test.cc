#include "store/record_table.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "gateways/dba_error.h"
#include "store/test_notation.h"

namespace talvero::store {
namespace {

const std::vector<std::string> kFiles = {"RUBSAISIE", "PLANCOMPTABLE"};

int32_t ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ComponentError& e) {
    return e.Number();
  }
  return 0;
}

std::string Join(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : " ") + part;
  return text;
}

// Ids handed out by a scan, sorted.
std::string ScannedIds(RecordTable& table, const std::string& file, const Access& access) {
  std::vector<std::string> ids;
  table.Scan(file, access, [&](std::string_view id, std::string_view) { ids.emplace_back(id); });
  std::sort(ids.begin(), ids.end());
  return Join(ids);
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "store-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

TEST(RecordTableTest, StoresReplacesAndDeletesRecords) {
  RecordTable table(":memory:", kFiles);
  table.Put("RUBSAISIE", "003", Marks("SALAIRE^1"));
  table.Put("RUBSAISIE", "003", Marks("SALAIRE DE BASE^1]2"));
  EXPECT_EQ("SALAIRE DE BASE^1]2", Readable(table.Get("RUBSAISIE", "003").value()));
  EXPECT_EQ(std::nullopt, table.Get("PLANCOMPTABLE", "003"));
  EXPECT_TRUE(table.Delete("RUBSAISIE", "003"));
  EXPECT_FALSE(table.Delete("RUBSAISIE", "003"));
  EXPECT_EQ(std::nullopt, table.Get("RUBSAISIE", "003"));

  table.Put("RUBSAISIE", "004", "");
  EXPECT_EQ("", table.Get("RUBSAISIE", "004").value());
}

TEST(RecordTableTest, RefusesUnknownFilesAndBadIds) {
  RecordTable table(":memory:", kFiles);
  EXPECT_EQ(kErrNoSuchFile, ErrorOf([&] { table.Put("AUTRE", "1", "A"); }));
  EXPECT_EQ(kErrNoSuchFile, ErrorOf([&] { table.Get("AUTRE", "1"); }));
  EXPECT_EQ(kErrNoSuchFile, ErrorOf([&] { table.Delete("AUTRE", "1"); }));
  EXPECT_EQ(kErrStorage, ErrorOf([&] { table.Put("RUBSAISIE", "", "A"); }));
  EXPECT_EQ(kErrStorage, ErrorOf([&] { table.Put("RUBSAISIE", Marks("1]2"), "A"); }));
  EXPECT_EQ(kErrStorage, ErrorOf([&] { table.CreateFile("DEUX MOTS"); }));
  EXPECT_EQ(kErrStorage, ErrorOf([&] { table.CreateFile(""); }));
}

TEST(RecordTableTest, NewDatabaseHoldsTheFirstFilesOnly) {
  RecordTable table(":memory:", kFiles);
  EXPECT_EQ("PLANCOMPTABLE RUBSAISIE", Join(table.Files()));
  EXPECT_FALSE(table.HasFile("rubsaisie"));
  table.CreateFile("ASSOCIATION");
  table.CreateFile("ASSOCIATION");
  EXPECT_EQ("ASSOCIATION PLANCOMPTABLE RUBSAISIE", Join(table.Files()));
  table.Put("ASSOCIATION", "1", "A");
  EXPECT_EQ("A", table.Get("ASSOCIATION", "1").value());
}

TEST(RecordTableTest, ScansIdRangesByBytes) {
  RecordTable table(":memory:", kFiles);
  for (std::string id :
       {"410", "411", "4110000", "4119999", "412", "A\xFF", "A\xFF\x01", "B", "\xFF\xFF"}) {
    table.Put("PLANCOMPTABLE", id, "X");
  }
  table.Put("RUBSAISIE", "4111", "X");
  EXPECT_EQ("411 4110000 4119999",
            ScannedIds(table, "PLANCOMPTABLE", {Access::kIdRange, "411", true}));
  EXPECT_EQ("411", ScannedIds(table, "PLANCOMPTABLE", {Access::kIdRange, "411", false}));
  EXPECT_EQ("A\xFF A\xFF\x01",
            ScannedIds(table, "PLANCOMPTABLE", {Access::kIdRange, "A\xFF", true}));
  EXPECT_EQ("\xFF\xFF", ScannedIds(table, "PLANCOMPTABLE", {Access::kIdRange, "\xFF", true}));
  EXPECT_EQ("410 411 4110000 4119999 412 A\xFF A\xFF\x01 B \xFF\xFF",
            ScannedIds(table, "PLANCOMPTABLE", {}));
}

TEST(RecordTableTest, Attribute1RangesAlsoGiveEveryMultivaluedAttribute1) {
  RecordTable table(":memory:", kFiles);
  table.Put("RUBSAISIE", "001", Marks("PRIME A^1"));
  table.Put("RUBSAISIE", "002", Marks("SALAIRE^PRIME"));
  table.Put("RUBSAISIE", "003", Marks("AUTRE]PRIME B^1"));
  table.Put("RUBSAISIE", "004", Marks("PRIME^1"));
  table.Put("RUBSAISIE", "005", Marks("^1"));
  EXPECT_EQ("001 003 004", ScannedIds(table, "RUBSAISIE", {Access::kAttr1Range, "PRIME", true}));
  EXPECT_EQ("003 004", ScannedIds(table, "RUBSAISIE", {Access::kAttr1Range, "PRIME", false}));
  EXPECT_EQ("003 005", ScannedIds(table, "RUBSAISIE", {Access::kAttr1Range, "", false}));
  // A record rewritten with a single value leaves the multivalued candidates.
  table.Put("RUBSAISIE", "003", Marks("AUTRE^1"));
  EXPECT_EQ("001 004", ScannedIds(table, "RUBSAISIE", {Access::kAttr1Range, "PRIME", true}));
}

TEST(RecordTableTest, RangeScansSearchAnIndexInsteadOfScanningTheTable) {
  RecordTable table(":memory:", kFiles);
  std::string id_plan = Join(table.ExplainScan({Access::kIdRange, "411", true}));
  EXPECT_NE(std::string::npos,
            id_plan.find("SEARCH records USING PRIMARY KEY (file=? AND id>? AND id<?)"))
      << id_plan;
  std::string attr1_plan = Join(table.ExplainScan({Access::kAttr1Range, "PRIME", true}));
  EXPECT_NE(std::string::npos, attr1_plan.find("USING INDEX records_by_attr1 (file=? AND "
                                               "attr1_multivalued=? AND attr1>? AND attr1<?)"))
      << attr1_plan;
  EXPECT_NE(std::string::npos,
            attr1_plan.find("USING INDEX records_by_attr1 (file=? AND attr1_multivalued=?)"))
      << attr1_plan;
  for (const Access& access :
       {Access{Access::kIdRange, "411", true}, Access{Access::kAttr1Range, "PRIME", false}}) {
    for (const std::string& step : table.ExplainScan(access)) {
      EXPECT_EQ(0u, step.rfind("SEARCH", 0)) << step;
    }
  }
}

// The reopened database is not new: it keeps its files and records and gets no first files.
TEST(RecordTableTest, ReopeningKeepsRecordsAndFiles) {
  TempDir dir;
  std::string path = dir.File("base.db");
  {
    RecordTable table(path, kFiles);
    table.Put("RUBSAISIE", "012", Marks("PRIME VACANCES^6"));
    table.CreateFile("ASSOCIATION");
    EXPECT_TRUE(std::filesystem::exists(path + "-wal"));
  }
  RecordTable reopened(path, {"NOUVEAU"});
  EXPECT_EQ("PRIME VACANCES^6", Readable(reopened.Get("RUBSAISIE", "012").value()));
  EXPECT_EQ("ASSOCIATION PLANCOMPTABLE RUBSAISIE", Join(reopened.Files()));
}

// SQLite state must not cross a fork: every connection of these tests is opened after it.
// Runs body in a child process and gives its exit status.
pid_t StartChild(const std::function<void()>& body) {
  pid_t child = fork();
  if (child == 0) {
    int status = 0;
    try {
      body();
    } catch (...) {
      status = 1;
    }
    _exit(status);
  }
  return child;
}

int ExitStatus(pid_t child) {
  int status = -1;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RecordTableTest, ProcessesWritingAtOnceWaitForEachOther) {
  TempDir dir;
  std::string path = dir.File("base.db");
  { RecordTable create(path, kFiles); }
  constexpr int kWrites = 100;
  pid_t child = StartChild([&] {
    RecordTable own(path, kFiles);
    for (int i = 0; i < kWrites; ++i) own.Put("RUBSAISIE", "C" + std::to_string(i), "ENFANT");
  });
  ASSERT_NE(-1, child);
  RecordTable table(path, kFiles);
  for (int i = 0; i < kWrites; ++i) table.Put("RUBSAISIE", "P" + std::to_string(i), "PARENT");
  EXPECT_EQ(0, ExitStatus(child));
  int records = 0;
  table.Scan("RUBSAISIE", {}, [&](std::string_view, std::string_view) { ++records; });
  EXPECT_EQ(2 * kWrites, records);
}

TEST(RecordTableTest, AWriterWaitsWhileAnotherProcessHoldsTheWriteLock) {
  TempDir dir;
  std::string path = dir.File("base.db");
  { RecordTable create(path, kFiles); }
  int lock_taken[2];
  ASSERT_EQ(0, pipe(lock_taken));
  pid_t child = StartChild([&] {
    char signal;
    if (read(lock_taken[0], &signal, 1) != 1) throw std::runtime_error("pipe");
    RecordTable own(path, kFiles);
    own.Put("VERROU", "1", "ATTENDU");
  });
  ASSERT_NE(-1, child);
  sqlite3* holder = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(path.c_str(), &holder));
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(holder, "BEGIN IMMEDIATE; INSERT INTO files VALUES ('VERROU')",
                                    nullptr, nullptr, nullptr));
  ASSERT_EQ(1, write(lock_taken[1], "x", 1));
  usleep(300 * 1000);
  EXPECT_EQ(SQLITE_OK, sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr));
  sqlite3_close(holder);
  EXPECT_EQ(0, ExitStatus(child));
  close(lock_taken[0]);
  close(lock_taken[1]);
  RecordTable table(path, kFiles);
  EXPECT_EQ("ATTENDU", table.Get("VERROU", "1").value_or("absent"));
}

TEST(RecordTableTest, AFileThatIsNotADatabaseIsAStorageError) {
  TempDir dir;
  std::string path = dir.File("texte.db");
  FILE* file = fopen(path.c_str(), "w");
  fputs("ceci n'est pas une base de donnees, juste un texte assez long pour l'en-tete\n", file);
  fclose(file);
  EXPECT_EQ(kErrStorage, ErrorOf([&] { RecordTable table(path, kFiles); }));
  EXPECT_EQ(kErrStorage, ErrorOf([&] { RecordTable table(dir.File("absent/base.db"), kFiles); }));
}

}  // namespace
}  // namespace talvero::store
