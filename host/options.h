#pragma once
// The command line of talvero-host.
//
//   talvero-host [--db PATH [--catalogue FILE]] [--level N] [--maker] [--special-key C] [--clsid
//   [GUID]]
//
// Reading it never exits nor prints: the caller gets either the options or what to print and the
// exit status (0 for --help, 2 for a bad command line with the problem and the usage).
#include <optional>
#include <string>
#include <vector>

namespace talvero::host {

struct HostOptions {
  std::optional<std::string> db;  // an existing store; none: the demo store
  // A catalogue file the db store is built from when it does not exist yet.
  std::optional<std::string> catalogue;
  int level = 2;                  // the operator's access level on the screen (2: full access)
  bool maker = false;             // the operator is one of the maker's own users
  std::string special_key = "*";  // the extra key of the code field
  // Create the control by class id through the component runtime (the class must be
  // registered); none: the control linked into the program.
  std::optional<std::string> clsid;
};

struct CommandLine {
  std::optional<HostOptions> options;  // set when the program is to run
  int exit_status = 0;                 // otherwise: exit with this status...
  std::string output;                  // ...after printing this on stdout (--help)...
  std::string error;                   // ...or this on stderr (a problem, then the usage)
};

// `arguments` are the words after the program's name.
CommandLine ReadCommandLine(const std::vector<std::string>& arguments);

// Whether the text is a class id: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} in hexadecimal digits.
bool IsClassId(const std::string& text);

}  // namespace talvero::host
