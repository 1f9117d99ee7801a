#include "host/options.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <filesystem>
#include <sstream>

#include "host/control_class.h"
#include "store/store.h"

namespace talvero::host {

namespace {

// One UTF-8 character that is not a digit nor a blank: a digit is already accepted by the code
// field, and a blank could not be seen on the screen.
std::string CheckSpecialKey(const std::string& key) {
  if (key.empty()) return "the special key must be one character";
  size_t characters = 0;
  for (unsigned char c : key)
    if ((c & 0xC0) != 0x80) ++characters;
  if (characters != 1) return "the special key must be one character, not \"" + key + "\"";
  if (std::isdigit(static_cast<unsigned char>(key[0])) || std::isspace(key[0]))
    return "the special key cannot be a digit or a blank";
  return "";
}

std::string CheckStore(const std::string& path) {
  // A server store is checked by connecting to it, when the session opens it.
  if (store::IsServerUrl(path)) return "";
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return "no store at " + path;
  return "";
}

std::string CheckCatalogue(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return "no catalogue at " + path;
  return "";
}

std::string CheckClassId(const std::string& text) {
  return IsClassId(text) ? "" : "not a class id: " + text + " (expected {XXXXXXXX-XXXX-...})";
}

CLI::Option* Describe(CLI::App& app, HostOptions& options, std::string& clsid) {
  app.description(
      "The entry-item screen of the payroll catalogue (rubriques de saisie) in a window.\n"
      "Without --db it works on a demo store, built on the first run in\n"
      "$XDG_DATA_HOME/talvero/demo.db (or ~/.local/share/talvero/demo.db).");
  CLI::Option* db = app.add_option("--db", options.db,
                                   "the store to work on: a file made by the record store, or a\n"
                                   "postgresql://... connection string")
                        ->type_name("PATH");
  app.add_option("--catalogue", options.catalogue,
                 "build the --db store from this catalogue file when it does not exist yet\n"
                 "(one record a line: FILE ID \"TEXT\", as demo/catalogue.txt)")
      ->type_name("FILE")
      ->check(CheckCatalogue)
      ->needs(db);
  app.add_option("--level", options.level, "the operator's access level; 2 is full access")
      ->type_name("N")
      ->check(CLI::Range(0, 9));
  app.add_flag("--maker", options.maker,
               "the operator is one of the maker's own users (codes 800 to 999)");
  app.add_option("--special-key", options.special_key,
                 "the one extra key the code field accepts (default *)")
      ->type_name("C")
      ->check(CheckSpecialKey);
  return app
      .add_option("--clsid", clsid,
                  "create the control by class id through the component runtime (default class " +
                      std::string(kControlClassId) + "; register it first)")
      ->type_name("[GUID]")
      ->expected(0, 1)
      ->check(CheckClassId);
}

}  // namespace

bool IsClassId(const std::string& text) {
  static constexpr const char* kShape = "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}";
  if (text.size() != std::char_traits<char>::length(kShape)) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    bool hex = std::isxdigit(static_cast<unsigned char>(text[i])) != 0;
    if (kShape[i] == 'x' ? !hex : text[i] != kShape[i]) return false;
  }
  return true;
}

CommandLine ReadCommandLine(const std::vector<std::string>& arguments) {
  HostOptions options;
  std::string clsid;
  CLI::App app{"", "talvero-host"};
  CLI::Option* clsid_option = Describe(app, options, clsid);
  CommandLine result;
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());  // CLI11's order
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    result.output = app.help();
    return result;
  } catch (const CLI::ParseError& e) {
    result.exit_status = 2;
    result.error = "talvero-host: " + std::string(e.what()) + "\n" + app.help();
    return result;
  }
  // --clsid alone names the control's own class.
  std::string problem = options.db && !options.catalogue ? CheckStore(*options.db) : std::string();
  if (!problem.empty()) {
    result.exit_status = 2;
    result.error = "talvero-host: --db: " + problem + "\n" + app.help();
    return result;
  }
  if (clsid_option->count() > 0) options.clsid = clsid.empty() ? kControlClassId : clsid;
  result.options = options;
  return result;
}

}  // namespace talvero::host
