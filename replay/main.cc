// talvero-replay [--db PATH|URL | --server URL] [--verbose] FILE.scn [FILE.scn ...]
// Plays scenario files on the headless entry screen; see runner.h for the stores, the output and
// the exit status.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "replay/runner.h"
#include "store/store.h"

namespace {

constexpr const char* kUsage =
    "usage: talvero-replay [--db PATH|URL | --server URL] [--verbose] FILE.scn [FILE.scn ...]\n"
    "Plays each scenario file on the headless entry screen, on a fresh store unless --db names\n"
    "an existing one (a file, or a postgresql:// connection string). --server URL plays each\n"
    "file on a fresh store of its own on that PostgreSQL server (a schema dropped afterwards).\n"
    "--verbose prints every event the operator would see.\n"
    "Exit status: 0 all passed, 1 an expectation failed, 2 a file could not be run.\n";

int Usage(const std::string& problem) {
  std::cerr << "talvero-replay: " << problem << "\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  talvero::replay::RunOptions options;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--verbose") {
      options.verbose = true;
    } else if (arg == "--db") {
      if (++i >= argc) return Usage("--db needs a path");
      options.db_path = argv[i];
      // The store must exist: a mistyped path would otherwise give a silently empty store.
      if (!talvero::store::IsServerUrl(options.db_path) &&
          !std::filesystem::exists(options.db_path)) {
        return Usage("no store at " + options.db_path);
      }
    } else if (arg == "--server") {
      if (++i >= argc) return Usage("--server needs a connection string");
      options.server_url = argv[i];
      if (!talvero::store::IsServerUrl(options.server_url)) {
        return Usage("--server needs a postgresql:// connection string");
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option " + arg);
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) return Usage("no scenario file");
  if (!options.db_path.empty() && !options.server_url.empty()) {
    return Usage("--db and --server cannot be used together");
  }
  return talvero::replay::RunScenarioFiles(files, options, std::cout);
}
