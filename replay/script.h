#pragma once
// Reading a scenario file into commands. The whole file is read before anything runs, so that a
// mistyped line near the end stops the file before it has changed any store.
//
// Lexical rules: one command per line; blank lines and lines whose first non-blank character is
// "#" are skipped; words are separated by blanks; a string is in double quotes with \" for a quote
// and \\ for a backslash (any other backslash stays as written, so "A\B" keeps its sub-value
// mark); `N="TEXT"` (no blanks) gives attribute N of a record.
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace talvero::replay {

// A line that is not a command: the file cannot be run.
class ScriptError : public std::runtime_error {
 public:
  ScriptError(int line, const std::string& message) : std::runtime_error(message), line_(line) {}
  int Line() const { return line_; }

 private:
  int line_;
};

enum class Verb {
  // Setting up.
  kDbText,        // db FILE ID "TEXT": target file, id, texts[0]
  kDbAttributes,  // db FILE ID N="TEXT"...: target file, id, attributes
  kDbDelete,      // dbdelete FILE ID
  kRights,        // rights N: numbers[0]
  kMaker,         // maker yes|no: flag
  kSpecialKey,    // specialkey "C": texts[0]
  kInit,
  kTerminate,
  // What the operator does.
  kFocus,  // target
  kTab,
  kType,       // texts[0]
  kKey,        // numbers[0]: the key code
  kPaste,      // texts[0]
  kPickIndex,  // target, numbers[0]
  kPickItem,   // target, texts[0]
  kClick,      // target
  kSelect,     // target, numbers: the rows (empty for none)
  kDblClick,   // target
  kMouseDown,  // target, numbers[0]: the button
  kClose,      // target
  kAnswer,     // numbers: the answers in order
  // The event log.
  kExpectMessage,  // texts {TITLE, TEXT} with numbers[0] the style, or texts {TEXT} alone
  kExpectBeep,
  kExpectPopup,   // target: the menu
  kExpectHelp,    // texts: page, mode, title, extra
  kExpectShow,    // target: the window
  kExpectUnload,  // target: the window
  kExpectUnloadHost,
  kExpectError,  // texts[0]: a part of the error text
  kExpectQuiet,
  // What must hold.
  kExpectProperty,   // target, property ("Text", "List(2)"...), expected
  kExpectList,       // target, texts: the whole list
  kExpectFocus,      // target
  kExpectField,      // target: the field name, expected
  kExpectRecord,     // target file, id, texts[0]
  kExpectAttribute,  // target file, id, numbers[0]: the attribute, texts[0]
  kExpectNoRecord,   // target file, id
  kExpectQuery,      // texts: sentence, wanted attributes, result
  // Inspecting.
  kShowControl,  // target
  kShowField,    // target: the field name
  kDump,         // target file, id
  kDumpQuery,    // texts: sentence, wanted attributes
};

// A value on the right of "=" in `expect CONTROL.PROP = VALUE` and `expect field NAME = VALUE`.
struct ExpectedValue {
  enum class Kind { kText, kInteger, kBoolean, kNone };
  Kind kind = Kind::kText;
  std::string text;   // the string; for the others the word as written
  long number = 0;    // kInteger
  bool flag = false;  // kBoolean

  // The value as the scenario writes it ("\"A\"", "12", "true", "none").
  std::string Written() const;
};

struct Command {
  Verb verb = Verb::kInit;
  int line = 0;
  std::string source;  // the line as written, without its surrounding blanks
  std::string target;
  std::string id;
  std::string property;
  std::vector<std::string> texts;
  std::vector<long> numbers;
  std::vector<std::pair<int, std::string>> attributes;
  bool flag = false;
  ExpectedValue expected;
};

// One line; nullopt for a blank or comment line. Throws ScriptError with that line number.
std::optional<Command> ParseLine(const std::string& text, int line);
// A whole file; line numbers count from 1.
std::vector<Command> ParseScript(const std::string& content);

}  // namespace talvero::replay
