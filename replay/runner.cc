#include "replay/runner.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "store/pg_store.h"
#include "store/sqlite_store.h"
#include "store/store.h"

namespace talvero::replay {

namespace {

namespace fs = std::filesystem;

// A directory of its own for one file's store, removed with everything in it.
class TemporaryDirectory {
 public:
  TemporaryDirectory() {
    std::string pattern = (fs::temp_directory_path() / "talvero-replay-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary directory");
    path_ = pattern;
  }
  ~TemporaryDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

std::vector<std::string> SplitLines(const std::string& content) {
  std::vector<std::string> lines;
  std::istringstream in(content);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Trimmed(const std::string& text) {
  size_t start = text.find_first_not_of(" \t\r");
  if (start == std::string::npos) return "";
  return text.substr(start, text.find_last_not_of(" \t\r") - start + 1);
}

Outcome CannotRun(int line, std::string expected, std::string found) {
  return {Outcome::Status::kCannotRun, line, std::move(expected), std::move(found)};
}

// A schema of its own on the server for one file's store, dropped with everything in it.
class TemporarySchema {
 public:
  explicit TemporarySchema(const std::string& url) {
    static int files_played = 0;
    std::string name =
        "talvero_replay_" + std::to_string(getpid()) + "_" + std::to_string(++files_played);
    store_ = store::PgDatabase::Open(url, name);
  }
  ~TemporarySchema() {
    try {
      store_->DropSchema();
    } catch (const std::exception&) {
      // A server gone away took the schema's fate with it; the run's result stands.
    }
  }
  std::shared_ptr<store::Store> Store() const { return store_; }

 private:
  std::shared_ptr<store::PgDatabase> store_;
};

Outcome Play(const std::vector<Command>& commands, const std::vector<std::string>& lines,
             std::shared_ptr<store::Store> store, const RunOptions& options, std::ostream& out) {
  Scenario scenario(std::move(store), options.verbose, out);
  if (options.verbose) {
    // The comments above a line say what it is for: a newcomer reads them with it.
    auto told = std::make_shared<size_t>(0);
    scenario.before_line = [&lines, &out, told](const Command& c) {
      for (; *told < static_cast<size_t>(c.line); ++*told) {
        std::string text = Trimmed(lines[*told]);
        if (text.empty()) continue;
        out << (text[0] == '#' ? "  " : "  > ") << text << "\n";
      }
      out.flush();
    };
  }
  return scenario.Play(commands, static_cast<int>(lines.size()));
}

}  // namespace

Outcome RunScenarioFile(const std::string& path, const RunOptions& options, std::ostream& out,
                        int& line_count) {
  line_count = 0;
  std::ifstream file(path, std::ios::binary);
  if (!file) return CannotRun(0, "a scenario file", std::strerror(errno));
  std::stringstream content;
  content << file.rdbuf();
  std::vector<std::string> lines = SplitLines(content.str());
  line_count = static_cast<int>(lines.size());

  std::vector<Command> commands;
  try {
    commands = ParseScript(content.str());
  } catch (const ScriptError& e) {
    std::string line = e.Line() >= 1 && e.Line() <= line_count ? Trimmed(lines[e.Line() - 1]) : "";
    return CannotRun(e.Line(), line, std::string("syntax error: ") + e.what());
  }

  try {
    if (!options.db_path.empty()) {
      return Play(commands, lines, store::OpenStore(options.db_path, store::OpenMode::kExisting),
                  options, out);
    }
    if (!options.server_url.empty()) {
      TemporarySchema schema(options.server_url);
      return Play(commands, lines, schema.Store(), options, out);
    }
    TemporaryDirectory directory;
    return Play(commands, lines, store::SqliteDatabase::Open(directory.Path() / "store.db"),
                options, out);
  } catch (const std::exception& e) {
    return CannotRun(0, "a store to work on", e.what());
  }
}

int RunScenarioFiles(const std::vector<std::string>& paths, const RunOptions& options,
                     std::ostream& out) {
  int passed = 0, failed = 0;
  bool cannot_run = false;
  for (const std::string& path : paths) {
    if (options.verbose) out << "== " << path << "\n";
    int lines = 0;
    Outcome outcome = RunScenarioFile(path, options, out, lines);
    if (outcome.status == Outcome::Status::kPassed) {
      ++passed;
      out << "ok " << path << " (" << lines << " lines)\n";
    } else {
      ++failed;
      cannot_run = cannot_run || outcome.status == Outcome::Status::kCannotRun;
      out << "FAIL " << path << ":" << outcome.line << ": " << outcome.expected << " / "
          << outcome.found << "\n";
    }
    out.flush();
  }
  out << passed << " passed, " << failed << " failed\n";
  if (cannot_run) return 2;
  return failed > 0 ? 1 : 0;
}

}  // namespace talvero::replay
