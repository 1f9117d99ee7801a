#include "host/demo_store.h"

#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include "host/catalogue.h"

namespace talvero::host {

namespace fs = std::filesystem;

Environment ProcessEnvironment() {
  return [](const std::string& name) -> std::optional<std::string> {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  };
}

fs::path DefaultDemoStorePath(const Environment& environment) {
  // A relative XDG_DATA_HOME is invalid and must be ignored, as every XDG user does.
  std::optional<std::string> data_home = environment("XDG_DATA_HOME");
  if (data_home && !data_home->empty() && fs::path(*data_home).is_absolute())
    return fs::path(*data_home) / "talvero" / "demo.db";
  std::optional<std::string> home = environment("HOME");
  if (!home || home->empty())
    throw std::runtime_error("no place for the demo store: neither XDG_DATA_HOME nor HOME is set");
  return fs::path(*home) / ".local" / "share" / "talvero" / "demo.db";
}

void BuildStore(const fs::path& path, const std::string& catalogue) {
  std::vector<CatalogueRecord> records = ReadCatalogue(catalogue);
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  fs::path building = path;
  building += ".building." + std::to_string(::getpid());
  std::error_code ignored;
  fs::remove(building, ignored);
  try {
    {
      auto database = store::SqliteDatabase::Open(building.string());
      LoadCatalogue(*database, records);
    }  // closed before the move, so nothing of it is still being written
    fs::rename(building, path);
  } catch (...) {
    fs::remove(building, ignored);
    throw;
  }
}

std::shared_ptr<store::SqliteDatabase> OpenDemoStore(const fs::path& path, bool* created) {
  bool building = !fs::exists(path);
  if (building) BuildStore(path, DemoCatalogueText());
  if (created != nullptr) *created = building;
  return store::SqliteDatabase::Open(path.string());
}

}  // namespace talvero::host
