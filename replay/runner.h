#pragma once
// Playing scenario files: each on its own fresh store in a temporary place (removed afterwards):
// an embedded store in a temporary folder, or a schema of its own on a PostgreSQL server named
// with --server; or all on an existing store named with --db (a path or a connection string);
// one line per file and a closing count.
#include <ostream>
#include <string>
#include <vector>

#include "replay/scenario.h"

namespace talvero::replay {

struct RunOptions {
  std::string db_path;     // an existing store; empty: a fresh store for each file
  std::string server_url;  // fresh stores on this PostgreSQL server rather than embedded ones
  bool verbose = false;    // narrate every line and every event as it happens
};

// Plays one file. `lines` receives the number of lines of the file.
Outcome RunScenarioFile(const std::string& path, const RunOptions& options, std::ostream& out,
                        int& lines);

// Plays every file, printing `ok FILE (N lines)` or `FAIL FILE:LINE: <expected> / <found>` for
// each and `N passed, N failed` last. Returns the exit status: 0 all passed, 1 an expectation
// failed, 2 a file could not be run.
int RunScenarioFiles(const std::vector<std::string>& paths, const RunOptions& options,
                     std::ostream& out);

}  // namespace talvero::replay
