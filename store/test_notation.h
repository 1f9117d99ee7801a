#pragma once
// For tests: record texts in a readable notation ("^" between attributes, "]" between values, "\"
// between sub-values), the error number an action raises and a database file of the test's own.
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "gateways/dba_error.h"
#include "gateways/dyn_array.h"

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
  std::string path =
      std::filesystem::temp_directory_path() / ("talvero" + std::to_string(getpid()));
  ~TempDatabase() {
    for (const char* end : {"", "-wal", "-shm"}) std::filesystem::remove(path + end);
  }
};

}  // namespace talvero
