#pragma once
// The demo store: a payroll database built from the catalogue shipped with the program
// (demo/catalogue.txt, compiled in), created on the first run in the user's data folder.
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "store/sqlite_store.h"

namespace talvero::host {

// The text of demo/catalogue.txt as it was when the program was built.
const std::string& DemoCatalogueText();

// Looks an environment variable up; nullopt when it is not set. Tests pass their own.
using Environment = std::function<std::optional<std::string>(const std::string& name)>;
Environment ProcessEnvironment();

// Where the demo store lives: $XDG_DATA_HOME/talvero/demo.db, or ~/.local/share/talvero/demo.db
// when XDG_DATA_HOME is unset, empty or not absolute. Throws std::runtime_error when neither
// XDG_DATA_HOME nor HOME gives a place.
std::filesystem::path DefaultDemoStorePath(const Environment& environment);

// Builds a store from the catalogue at `path`. The store is built beside it under a temporary
// name and moved into place once complete, so that an interrupted first run never leaves a half
// store that later runs would take for the demo. Throws CatalogueError, std::runtime_error or the
// store's ComponentError; then nothing is left at `path`.
void BuildStore(const std::filesystem::path& path, const std::string& catalogue);

// Opens the demo store at `path`, building it from the shipped catalogue first when it does not
// exist yet (its folders included). `created` tells whether it was built now.
std::shared_ptr<store::SqliteDatabase> OpenDemoStore(const std::filesystem::path& path,
                                                     bool* created = nullptr);

}  // namespace talvero::host
