#include "replay/script.h"

#include <cctype>
#include <map>

#include "replay/notation.h"

namespace talvero::replay {

namespace {

struct Token {
  enum class Kind { kWord, kString, kAssign };
  Kind kind;
  std::string text;   // the word, the string, or the assigned text
  int attribute = 0;  // kAssign
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

bool AllDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

std::optional<long> IntegerWord(const std::string& word) {
  std::string digits = !word.empty() && word[0] == '-' ? word.substr(1) : word;
  if (!AllDigits(digits) || digits.size() > 9) return std::nullopt;
  return std::stol(word);
}

// Reads a string whose opening quote is at text[at]; leaves `at` past the closing quote.
std::string ReadString(const std::string& text, size_t& at, int line) {
  std::string out;
  for (++at; at < text.size(); ++at) {
    char c = text[at];
    if (c == '"') {
      ++at;
      if (at < text.size() && !IsBlank(text[at]))
        throw ScriptError(line, "a blank must follow the closing quote");
      return out;
    }
    if (c == '\\' && at + 1 < text.size() && (text[at + 1] == '"' || text[at + 1] == '\\')) ++at;
    out += text[at];
  }
  throw ScriptError(line, "unterminated string");
}

std::vector<Token> Tokenize(const std::string& text, int line) {
  std::vector<Token> tokens;
  size_t at = 0;
  while (at < text.size()) {
    if (IsBlank(text[at])) {
      ++at;
      continue;
    }
    if (text[at] == '"') {
      tokens.push_back({Token::Kind::kString, ReadString(text, at, line)});
      continue;
    }
    size_t start = at;
    while (at < text.size() && !IsBlank(text[at]) && text[at] != '"') ++at;
    std::string word = text.substr(start, at - start);
    if (at < text.size() && text[at] == '"') {
      // Only N="TEXT" may glue a word to a string.
      std::string number = word.substr(0, word.size() - 1);
      if (word.size() < 2 || word.back() != '=' || !AllDigits(number) || number.size() > 6)
        throw ScriptError(line, "unexpected quote after " + word);
      tokens.push_back({Token::Kind::kAssign, ReadString(text, at, line), std::stoi(number)});
      continue;
    }
    tokens.push_back({Token::Kind::kWord, word});
  }
  return tokens;
}

// Walks the tokens of one line, each reader naming what it wanted when the line falls short.
class LineReader {
 public:
  LineReader(std::vector<Token> tokens, int line) : tokens_(std::move(tokens)), line_(line) {}

  bool AtEnd() const { return next_ >= tokens_.size(); }
  bool NextIs(Token::Kind kind) const { return !AtEnd() && tokens_[next_].kind == kind; }
  bool NextIsWord(const std::string& word) const {
    return NextIs(Token::Kind::kWord) && tokens_[next_].text == word;
  }

  std::string Word(const std::string& what) {
    if (!NextIs(Token::Kind::kWord)) Fail("expected " + what);
    return tokens_[next_++].text;
  }
  std::string String(const std::string& what) {
    if (!NextIs(Token::Kind::kString)) Fail("expected " + what + " in double quotes");
    return tokens_[next_++].text;
  }
  // A word or a string (record ids may need quotes).
  std::string WordOrString(const std::string& what) {
    if (NextIs(Token::Kind::kString)) return tokens_[next_++].text;
    return Word(what);
  }
  long Integer(const std::string& what) {
    std::string word = Word(what);
    std::optional<long> n = IntegerWord(word);
    if (!n) Fail("expected " + what + ", found " + word);
    return *n;
  }
  void Equals() {
    if (!NextIsWord("=")) Fail("expected =");
    ++next_;
  }
  Token Take() { return tokens_[next_++]; }
  void End() {
    if (!AtEnd()) Fail("unexpected " + Show(tokens_[next_]) + " at the end of the line");
  }
  [[noreturn]] void Fail(const std::string& message) const { throw ScriptError(line_, message); }

 private:
  static std::string Show(const Token& t) {
    return t.kind == Token::Kind::kString ? Quoted(t.text) : t.text;
  }
  std::vector<Token> tokens_;
  size_t next_ = 0;
  int line_;
};

ExpectedValue ReadValue(LineReader& in) {
  ExpectedValue v;
  if (in.NextIs(Token::Kind::kString)) {
    v.text = in.String("a value");
    return v;
  }
  std::string word = in.Word("a value");
  v.text = word;
  if (word == "true" || word == "false") {
    v.kind = ExpectedValue::Kind::kBoolean;
    v.flag = word == "true";
  } else if (word == "none") {
    v.kind = ExpectedValue::Kind::kNone;
  } else if (std::optional<long> n = IntegerWord(word)) {
    v.kind = ExpectedValue::Kind::kInteger;
    v.number = *n;
  } else {
    in.Fail("expected a string, an integer, true or false, found " + word);
  }
  return v;
}

void ParseDb(LineReader& in, Command& c) {
  c.target = in.Word("a file name");
  c.id = in.WordOrString("a record id");
  if (in.NextIs(Token::Kind::kString)) {
    c.verb = Verb::kDbText;
    c.texts.push_back(in.String("the record text"));
    return;
  }
  c.verb = Verb::kDbAttributes;
  if (!in.NextIs(Token::Kind::kAssign)) in.Fail("expected the record text or N=\"TEXT\"");
  while (in.NextIs(Token::Kind::kAssign)) {
    Token t = in.Take();
    if (t.attribute < 1) in.Fail("attributes are numbered from 1");
    c.attributes.emplace_back(t.attribute, t.text);
  }
}

void ParseExpectEvent(LineReader& in, Command& c, const std::string& what) {
  if (what == "message") {
    c.verb = Verb::kExpectMessage;
    if (!in.NextIs(Token::Kind::kString)) {
      c.numbers.push_back(in.Integer("a message style"));
      c.texts.push_back(in.String("the title"));
    }
    c.texts.push_back(in.String("the message text"));
  } else if (what == "beep") {
    c.verb = Verb::kExpectBeep;
  } else if (what == "popup") {
    c.verb = Verb::kExpectPopup;
    c.target = in.Word("a menu name");
  } else if (what == "help") {
    c.verb = Verb::kExpectHelp;
    for (const char* part : {"the page", "the mode", "the title", "the extra text"})
      c.texts.push_back(in.String(part));
  } else if (what == "show") {
    c.verb = Verb::kExpectShow;
    c.target = in.Word("a window name");
  } else if (what == "unload") {
    c.target = in.Word("a window name or host");
    c.verb = c.target == "host" ? Verb::kExpectUnloadHost : Verb::kExpectUnload;
  } else if (what == "error") {
    c.verb = Verb::kExpectError;
    c.texts.push_back(in.String("a part of the error text"));
  } else {
    c.verb = Verb::kExpectQuiet;
  }
}

void ParseExpectState(LineReader& in, Command& c, const std::string& what) {
  if (what == "focus") {
    c.verb = Verb::kExpectFocus;
    c.target = in.Word("a control name");
  } else if (what == "field") {
    c.verb = Verb::kExpectField;
    c.target = in.Word("a field name");
    in.Equals();
    c.expected = ReadValue(in);
  } else if (what == "record") {
    c.target = in.Word("a file name");
    c.id = in.WordOrString("a record id");
    if (in.NextIsWord("=")) {
      c.verb = Verb::kExpectRecord;
    } else {
      c.verb = Verb::kExpectAttribute;
      c.numbers.push_back(in.Integer("an attribute number or ="));
    }
    in.Equals();
    c.texts.push_back(in.String("the record text"));
  } else if (what == "norecord") {
    c.verb = Verb::kExpectNoRecord;
    c.target = in.Word("a file name");
    c.id = in.WordOrString("a record id");
  } else {  // query
    c.verb = Verb::kExpectQuery;
    c.texts.push_back(in.String("the query sentence"));
    c.texts.push_back(in.String("the wanted attributes"));
    in.Equals();
    c.texts.push_back(in.String("the query result"));
  }
}

// expect CONTROL.PROP = VALUE and expect CONTROL.List = "A" "B"...
void ParseExpectProperty(LineReader& in, Command& c, const std::string& word) {
  size_t dot = word.rfind('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == word.size())
    in.Fail("unknown expectation " + word);
  c.target = word.substr(0, dot);
  c.property = word.substr(dot + 1);
  in.Equals();
  if (c.property == "List") {
    c.verb = Verb::kExpectList;
    while (!in.AtEnd()) c.texts.push_back(in.String("a list item"));
    return;
  }
  c.verb = Verb::kExpectProperty;
  c.expected = ReadValue(in);
}

void ParseExpect(LineReader& in, Command& c) {
  std::string what = in.Word("what to expect");
  if (what == "message" || what == "beep" || what == "popup" || what == "help" || what == "show" ||
      what == "unload" || what == "error" || what == "quiet") {
    ParseExpectEvent(in, c, what);
  } else if (what == "focus" || what == "field" || what == "record" || what == "norecord" ||
             what == "query") {
    ParseExpectState(in, c, what);
  } else {
    ParseExpectProperty(in, c, what);
  }
}

void ParseShow(LineReader& in, Command& c) {
  if (in.NextIsWord("field")) {
    in.Word("field");
    c.verb = Verb::kShowField;
    c.target = in.Word("a field name");
  } else {
    c.verb = Verb::kShowControl;
    c.target = in.Word("a control name");
  }
}

void ParseDump(LineReader& in, Command& c) {
  if (in.NextIsWord("query")) {
    in.Word("query");
    c.verb = Verb::kDumpQuery;
    c.texts.push_back(in.String("the query sentence"));
    c.texts.push_back(in.String("the wanted attributes"));
  } else {
    c.verb = Verb::kDump;
    c.target = in.Word("a file name");
    c.id = in.WordOrString("a record id");
  }
}

void ParseKey(LineReader& in, Command& c) {
  std::string key = in.Word("ENTER, BACKSPACE or a key code");
  if (key == "ENTER") {
    c.numbers.push_back(13);
  } else if (key == "BACKSPACE") {
    c.numbers.push_back(8);
  } else if (std::optional<long> n = IntegerWord(key); n && *n >= 0) {
    c.numbers.push_back(*n);
  } else {
    in.Fail("expected ENTER, BACKSPACE or a key code, found " + key);
  }
}

void ParseOperatorAction(LineReader& in, Command& c, const std::string& verb) {
  if (verb == "focus" || verb == "click" || verb == "dblclick" || verb == "close") {
    c.verb = verb == "focus"   ? Verb::kFocus
             : verb == "click" ? Verb::kClick
             : verb == "close" ? Verb::kClose
                               : Verb::kDblClick;
    c.target = in.Word("a control name");
  } else if (verb == "tab") {
    c.verb = Verb::kTab;
  } else if (verb == "type" || verb == "paste") {
    c.verb = verb == "type" ? Verb::kType : Verb::kPaste;
    c.texts.push_back(in.String("the text"));
  } else if (verb == "key") {
    c.verb = Verb::kKey;
    ParseKey(in, c);
  } else if (verb == "pick") {
    c.target = in.Word("a combo box name");
    if (in.NextIs(Token::Kind::kString)) {
      c.verb = Verb::kPickItem;
      c.texts.push_back(in.String("the item"));
    } else {
      c.verb = Verb::kPickIndex;
      c.numbers.push_back(in.Integer("an item number or an item in double quotes"));
    }
  } else if (verb == "select") {
    c.verb = Verb::kSelect;
    c.target = in.Word("a list box name");
    if (in.NextIsWord("none")) {
      in.Word("none");
    } else {
      do c.numbers.push_back(in.Integer("a row number or none"));
      while (!in.AtEnd());
    }
  } else if (verb == "mousedown") {
    c.verb = Verb::kMouseDown;
    c.target = in.Word("a surface or frame name");
    c.numbers.push_back(in.Integer("the mouse button"));
  } else {  // answer
    c.verb = Verb::kAnswer;
    do {
      long answer = in.Integer("an answer (6, 7, 2 or 1)");
      if (answer != 1 && answer != 2 && answer != 6 && answer != 7)
        in.Fail("an answer is 6 (Yes), 7 (No), 2 (Cancel) or 1 (OK)");
      c.numbers.push_back(answer);
    } while (!in.AtEnd());
  }
}

void ParseSetUp(LineReader& in, Command& c, const std::string& verb) {
  if (verb == "db") {
    ParseDb(in, c);
  } else if (verb == "dbdelete") {
    c.verb = Verb::kDbDelete;
    c.target = in.Word("a file name");
    c.id = in.WordOrString("a record id");
  } else if (verb == "rights") {
    c.verb = Verb::kRights;
    c.numbers.push_back(in.Integer("an access level"));
  } else if (verb == "maker") {
    c.verb = Verb::kMaker;
    std::string answer = in.Word("yes or no");
    if (answer != "yes" && answer != "no") in.Fail("expected yes or no, found " + answer);
    c.flag = answer == "yes";
  } else if (verb == "specialkey") {
    c.verb = Verb::kSpecialKey;
    c.texts.push_back(in.String("the key"));
  } else {
    c.verb = verb == "init" ? Verb::kInit : Verb::kTerminate;
  }
}

const std::map<std::string, void (*)(LineReader&, Command&, const std::string&)>& Parsers() {
  static const auto* parsers =
      new std::map<std::string, void (*)(LineReader&, Command&, const std::string&)>{
          {"db", ParseSetUp},
          {"dbdelete", ParseSetUp},
          {"rights", ParseSetUp},
          {"maker", ParseSetUp},
          {"specialkey", ParseSetUp},
          {"init", ParseSetUp},
          {"terminate", ParseSetUp},
          {"focus", ParseOperatorAction},
          {"tab", ParseOperatorAction},
          {"type", ParseOperatorAction},
          {"key", ParseOperatorAction},
          {"paste", ParseOperatorAction},
          {"pick", ParseOperatorAction},
          {"click", ParseOperatorAction},
          {"select", ParseOperatorAction},
          {"dblclick", ParseOperatorAction},
          {"mousedown", ParseOperatorAction},
          {"close", ParseOperatorAction},
          {"answer", ParseOperatorAction},
          {"expect", [](LineReader& in, Command& c, const std::string&) { ParseExpect(in, c); }},
          {"show", [](LineReader& in, Command& c, const std::string&) { ParseShow(in, c); }},
          {"dump", [](LineReader& in, Command& c, const std::string&) { ParseDump(in, c); }},
      };
  return *parsers;
}

std::string WithoutBlanksAround(const std::string& text) {
  size_t start = 0, end = text.size();
  while (start < end && IsBlank(text[start])) ++start;
  while (end > start && IsBlank(text[end - 1])) --end;
  return text.substr(start, end - start);
}

}  // namespace

std::string ExpectedValue::Written() const {
  return kind == Kind::kText ? Quoted(text) : text;
}

std::optional<Command> ParseLine(const std::string& text, int line) {
  std::string source = WithoutBlanksAround(text);
  if (source.empty() || source[0] == '#') return std::nullopt;
  LineReader in(Tokenize(source, line), line);
  if (!in.NextIs(Token::Kind::kWord)) in.Fail("a line starts with a command");
  std::string verb = in.Word("a command");
  auto parser = Parsers().find(verb);
  if (parser == Parsers().end()) in.Fail("unknown command " + verb);
  Command c;
  c.line = line;
  c.source = source;
  parser->second(in, c, verb);
  in.End();
  return c;
}

std::vector<Command> ParseScript(const std::string& content) {
  std::vector<Command> commands;
  int line = 0;
  // Some editors open a UTF-8 file with a byte order mark: it is no part of the first line.
  size_t start = content.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    ++line;
    if (std::optional<Command> c = ParseLine(content.substr(start, end - start), line))
      commands.push_back(std::move(*c));
    start = end + 1;
  }
  return commands;
}

}  // namespace talvero::replay
