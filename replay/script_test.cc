#include "replay/script.h"

#include <gtest/gtest.h>

namespace talvero::replay {
namespace {

// The strings of a script's commands in brackets, or "LINE: syntax error".
std::string Read(const std::string& script) {
  try {
    std::string out;
    for (const Command& c : ParseScript(script))
      for (const std::string& text : c.texts) out += "[" + text + "]";
    return out;
  } catch (const ScriptError& e) {
    return std::to_string(e.Line()) + ": " + e.what();
  }
}

TEST(ScriptTest, StringsAndSyntaxErrors) {
  for (const auto& [script, read] : std::initializer_list<std::pair<const char*, const char*>>{
           {R"(type "say \"hi\"")", R"([say "hi"])"},
           {R"(type "a\\b")", R"([a\b])"},
           // A lone backslash is the sub-value mark of the record notation and stays.
           {R"(db RUBSAISIE 003 "A\B")", R"([A\B])"},
           {R"(expect query "SSELECT R AVEC 1 = \"P]\"" "0 1" = "014]X")",
            R"([SSELECT R AVEC 1 = "P]"][0 1][014]X])"},
           {"# init\r\n\n  type \"# not a comment\" \n", "[# not a comment]"},
           {"\xEF\xBB\xBFtype \"é\"\r\n", "[é]"},
           {"# title\r\n\ninit\nclack Cmd_OK\n", "4: unknown command clack"},
           {R"(type "abc\")", "1: unterminated string"},
           {R"(type "a"b)", "1: a blank must follow the closing quote"},
           {R"(db COMPTEUR 999 x="1")", "1: unexpected quote after x="},
           {"tab Cmd_OK", "1: unexpected Cmd_OK at the end of the line"},
           {R"(expect Cmd_OK.Caption "OK")", "1: expected ="},
           {"expect Cmd_OK.Enabled = yes",
            "1: expected a string, an integer, true or false, found yes"},
           {"answer 5", "1: an answer is 6 (Yes), 7 (No), 2 (Cancel) or 1 (OK)"},
       })
    EXPECT_EQ(read, Read(script)) << script;
}

}  // namespace
}  // namespace talvero::replay
