#pragma once
// For tests: record texts in a readable notation ("^" between attributes, "]" between values, "\"
// between sub-values), the error number an action raises, a database file of the test's own,
// processes run at once and a fresh store on each backend.
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "gateways/dba_error.h"
#include "gateways/dyn_array.h"
#include "store/pg_store.h"
#include "store/sqlite_store.h"

namespace talvero {

inline std::string Marks(std::string text) {
  for (char& c : text) c = c == '^' ? kAttrMark : c == ']' ? kValueMark : c == '\\' ? kSubMark : c;
  return text;
}

inline std::string Readable(std::string text) {
  for (char& c : text) c = c == kAttrMark ? '^' : c == kValueMark ? ']' : c == kSubMark ? '\\' : c;
  return text;
}

// 0 when the action raises nothing.
inline int32_t ErrorOf(const std::function<void()>& action) try {
  action();
  return 0;
} catch (const ComponentError& e) {
  return e.Number();
}

// Removed with its journals at the end of the test; named after the process, as tests run at once.
struct TempDatabase {
  explicit TempDatabase(const std::string& tag = "")
      : path(std::filesystem::temp_directory_path() /
             ("talvero" + std::to_string(getpid()) + tag)) {
    Remove();
  }
  ~TempDatabase() { Remove(); }
  void Remove() const {
    for (const char* end : {"", "-wal", "-shm", "-journal"}) std::filesystem::remove(path + end);
  }
  std::string path;
};

// Runs child(i) for i = 0 to n - 1, each in a process of its own, all released at the same
// moment; the exit status of each (what child returned, 99 for an exception, -1 for a crash).
// The children must not use a database connection the parent opened.
inline std::vector<int> InProcesses(int n, const std::function<int(int)>& child) {
  int gate[2];
  if (pipe(gate) != 0) return {};
  std::vector<pid_t> children;
  for (int i = 0; i < n; ++i) {
    pid_t pid = fork();
    if (pid == 0) {
      close(gate[1]);
      char byte;
      while (read(gate[0], &byte, 1) < 0) {
      }
      int status = 99;
      try {
        status = child(i);
      } catch (...) {
      }
      _exit(status);
    }
    children.push_back(pid);
  }
  close(gate[0]);
  close(gate[1]);  // every child's read returns now
  std::vector<int> statuses;
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    statuses.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  }
  return statuses;
}

// The backends that keep the store's contract. Tests on the server need its connection string in
// TALVERO_PG_URL (make test starts a throwaway server) and are skipped without it.
enum class Backend { kSqlite, kPostgres };

inline std::string ServerUrl() {
  const char* url = std::getenv("TALVERO_PG_URL");
  return url ? url : "";
}

inline std::string BackendName(Backend backend) {
  return backend == Backend::kSqlite ? "SQLite" : "PostgreSQL";
}
inline void PrintTo(Backend backend, std::ostream* out) {
  *out << BackendName(backend);
}

// A fresh empty store of one backend, removed at the end: a database file of its own, or a schema
// of its own on the server. Open() gives one more user of the same store, as another process on
// another machine would be.
class FreshStore {
 public:
  explicit FreshStore(Backend backend)
      : backend_(backend),
        number_(NextNumber()),
        file_("_" + std::to_string(number_)),
        schema_("talvero_test_" + std::to_string(getpid()) + "_" + std::to_string(number_)) {}
  ~FreshStore() {
    if (backend_ == Backend::kPostgres && opened_) {
      try {
        store::PgDatabase::Open(ServerUrl(), schema_)->DropSchema();
      } catch (const ComponentError&) {
      }
    }
  }
  std::shared_ptr<store::Store> Open() {
    opened_ = true;
    if (backend_ == Backend::kSqlite) return store::SqliteDatabase::Open(file_.path);
    return store::PgDatabase::Open(ServerUrl(), schema_);
  }
  std::shared_ptr<store::PgDatabase> OpenOnServer() {
    opened_ = true;
    return store::PgDatabase::Open(ServerUrl(), schema_);
  }
  const std::string& Schema() const { return schema_; }

 private:
  static int NextNumber() {
    static std::atomic<int> made = 0;
    return ++made;
  }

  Backend backend_;
  int number_;
  TempDatabase file_;
  std::string schema_;
  bool opened_ = false;
};

}  // namespace talvero
