#include "component_runtime/registry.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace talvero::runtime {

namespace fs = std::filesystem;

namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

fs::path EntryPath(const std::string& clsid) {
  // The id is part of a file name: anything that could leave the folder is refused.
  if (clsid.empty() || clsid.find('/') != std::string::npos ||
      clsid.find("..") != std::string::npos)
    throw std::runtime_error("not a class id: " + clsid);
  return ClassesFolder() / (Upper(clsid) + ".class");
}

}  // namespace

fs::path ClassesFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && fs::path(config).is_absolute())
    return fs::path(config) / "talvero" / "classes";
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0')
    throw std::runtime_error("no class registry: neither XDG_CONFIG_HOME nor HOME is set");
  return fs::path(home) / ".config" / "talvero" / "classes";
}

void WriteClassEntry(const ClassEntry& entry) {
  fs::path path = EntryPath(entry.clsid);
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  fs::path writing = path;
  writing += ".writing." + std::to_string(::getpid());
  {
    std::ofstream out(writing, std::ios::trunc);
    out << "name=" << entry.name << "\nlibrary=" << entry.library << "\n";
    if (!out.flush()) throw std::runtime_error("cannot write " + writing.string());
  }
  fs::rename(writing, path, error);
  if (error) {
    fs::remove(writing, error);
    throw std::runtime_error("cannot write " + path.string());
  }
}

std::optional<ClassEntry> ReadClassEntry(const std::string& clsid) {
  std::ifstream in(EntryPath(clsid));
  if (!in) return std::nullopt;
  ClassEntry entry{Upper(clsid), "", ""};
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("name=", 0) == 0) entry.name = line.substr(5);
    if (line.rfind("library=", 0) == 0) entry.library = line.substr(8);
  }
  if (entry.library.empty()) return std::nullopt;  // not an entry this runtime wrote
  return entry;
}

bool RemoveClassEntry(const std::string& clsid) {
  std::error_code error;
  return fs::remove(EntryPath(clsid), error);
}

}  // namespace talvero::runtime
