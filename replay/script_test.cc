#include "replay/script.h"

#include <gtest/gtest.h>

namespace talvero::replay {
namespace {

// The parsed command in one line: target, id, property, texts, numbers, attributes, value.
std::string Parsed(const std::string& line) {
  std::optional<Command> c = ParseLine(line, 1);
  if (!c) return "(skipped)";
  std::string out = c->target;
  if (!c->id.empty()) out += " id=" + c->id;
  if (!c->property.empty()) out += " ." + c->property;
  for (const std::string& t : c->texts) out += " [" + t + "]";
  for (long n : c->numbers) out += " " + std::to_string(n);
  for (const auto& [a, t] : c->attributes) out += " " + std::to_string(a) + "=[" + t + "]";
  if (c->verb == Verb::kExpectProperty || c->verb == Verb::kExpectField)
    out += " value " + c->expected.Written();
  return out;
}

Verb VerbOf(const std::string& line) {
  return ParseLine(line, 1)->verb;
}

// The message of the syntax error the line raises, prefixed with its line number.
std::string ErrorOf(const std::string& content) {
  try {
    ParseScript(content);
  } catch (const ScriptError& e) {
    return std::to_string(e.Line()) + ": " + e.what();
  }
  return "(no error)";
}

TEST(ScriptTest, BlankAndCommentLinesAreSkipped) {
  EXPECT_EQ("(skipped)", Parsed(""));
  EXPECT_EQ("(skipped)", Parsed("   \t "));
  EXPECT_EQ("(skipped)", Parsed("  # init"));
  std::vector<Command> commands = ParseScript("# title\n\ninit\r\n  tab  \n");
  ASSERT_EQ(2u, commands.size());
  EXPECT_EQ(3, commands[0].line);
  EXPECT_EQ(Verb::kInit, commands[0].verb);
  EXPECT_EQ(4, commands[1].line);
  EXPECT_EQ("tab", commands[1].source);
}

TEST(ScriptTest, StringsKeepEscapedQuotesAndBackslashes) {
  EXPECT_EQ(" [say \"hi\"]", Parsed(R"(type "say \"hi\"")"));
  EXPECT_EQ(" [a\\b]", Parsed(R"(type "a\\b")"));
  // A lone backslash is a sub-value mark of the record notation and stays.
  EXPECT_EQ("RUBSAISIE id=003 [A\\B]", Parsed(R"(db RUBSAISIE 003 "A\B")"));
  EXPECT_EQ(" [prime d'ancienneté]", Parsed("type \"prime d'ancienneté\""));
  EXPECT_EQ(" [# not a comment]", Parsed("type \"# not a comment\""));
}

TEST(ScriptTest, RecordsByWholeTextOrAttributes) {
  EXPECT_EQ(Verb::kDbText, VerbOf(R"(db RUBSAISIE 012 "PRIME^6^^0")"));
  EXPECT_EQ("RUBSAISIE id=012 [PRIME^6^^0]", Parsed(R"(db RUBSAISIE 012 "PRIME^6^^0")"));
  EXPECT_EQ(Verb::kDbAttributes, VerbOf(R"(db COMPTEUR 999 3="041")"));
  EXPECT_EQ("COMPTEUR id=999 3=[041] 15=[41] 80=[1]",
            Parsed(R"(db COMPTEUR 999 3="041" 15="41" 80="1")"));
  EXPECT_EQ("RUBSAISIE id=030", Parsed("dbdelete RUBSAISIE 030"));
}

TEST(ScriptTest, SetUpCommands) {
  EXPECT_EQ(" 1", Parsed("rights 1"));
  EXPECT_TRUE(ParseLine("maker yes", 1)->flag);
  EXPECT_FALSE(ParseLine("maker no", 1)->flag);
  EXPECT_EQ(" [+]", Parsed(R"(specialkey "+")"));
  EXPECT_EQ(Verb::kTerminate, VerbOf("terminate"));
}

TEST(ScriptTest, OperatorActions) {
  EXPECT_EQ(" 13", Parsed("key ENTER"));
  EXPECT_EQ(" 8", Parsed("key BACKSPACE"));
  EXPECT_EQ(" 123", Parsed("key 123"));
  EXPECT_EQ(Verb::kPickIndex, VerbOf("pick Cbo_LibRubSai 2"));
  EXPECT_EQ("Cbo_LibRubSai 2", Parsed("pick Cbo_LibRubSai 2"));
  EXPECT_EQ(Verb::kPickItem, VerbOf(R"(pick Cbo_LibRubSai "2")"));
  EXPECT_EQ("Lst_ListeRubSai 0 3", Parsed("select Lst_ListeRubSai 0 3"));
  EXPECT_EQ("Lst_ListeRubSai", Parsed("select Lst_ListeRubSai none"));
  EXPECT_EQ("Ctr_Talvero 2", Parsed("mousedown Ctr_Talvero 2"));
  EXPECT_EQ(" 6 7 2", Parsed("answer 6 7 2"));
  EXPECT_EQ(Verb::kClose, VerbOf("close Frm_Detail"));
  EXPECT_EQ(Verb::kDblClick, VerbOf("dblclick Lst_LibRubSai"));
}

TEST(ScriptTest, EventLogExpectations) {
  EXPECT_EQ(" [Message ORVANEL] [Fichier non trouvé.] 48",
            Parsed(R"(expect message 48 "Message ORVANEL" "Fichier non trouvé.")"));
  EXPECT_EQ(" [Fichier non trouvé.]", Parsed(R"(expect message "Fichier non trouvé.")"));
  EXPECT_EQ(" [RubriqueSaisie.htm] [] [t] [x]",
            Parsed(R"(expect help "RubriqueSaisie.htm" "" "t" "x")"));
  EXPECT_EQ(Verb::kExpectUnloadHost, VerbOf("expect unload host"));
  EXPECT_EQ(Verb::kExpectUnload, VerbOf("expect unload Frm_Detail"));
  EXPECT_EQ("Mnu_Aide", Parsed("expect popup Mnu_Aide"));
  EXPECT_EQ(Verb::kExpectQuiet, VerbOf("expect quiet"));
  EXPECT_EQ(Verb::kExpectBeep, VerbOf("expect beep"));
}

TEST(ScriptTest, StateExpectations) {
  EXPECT_EQ("Cmd_Supprimer .Caption value \"Réactiver\"",
            Parsed(R"(expect Cmd_Supprimer.Caption = "Réactiver")"));
  EXPECT_EQ("Cmd_Ajouter .Enabled value false", Parsed("expect Cmd_Ajouter.Enabled = false"));
  EXPECT_EQ("Cbo_LibRubSai .ListIndex value -1", Parsed("expect Cbo_LibRubSai.ListIndex = -1"));
  EXPECT_EQ("Frm_Detail.Lst_LibRubSai .List(0) value \"003\"",
            Parsed(R"(expect Frm_Detail.Lst_LibRubSai.List(0) = "003")"));
  EXPECT_EQ("Screen .MousePointer value 0", Parsed("expect Screen.MousePointer = 0"));
  EXPECT_EQ(Verb::kExpectList, VerbOf(R"(expect Cbo_LibRubSai.List = "A" "B")"));
  EXPECT_EQ("Cbo_LibRubSai .List [A] [B]", Parsed(R"(expect Cbo_LibRubSai.List = "A" "B")"));
  EXPECT_EQ("Cbo_LibRubSai .List", Parsed("expect Cbo_LibRubSai.List ="));
  EXPECT_EQ("EnrCreation value none", Parsed("expect field EnrCreation = none"));
  EXPECT_EQ("RubSupprimee value true", Parsed("expect field RubSupprimee = true"));
  EXPECT_EQ("RUBSAISIE id=012 [] 18", Parsed(R"(expect record RUBSAISIE 012 18 = "")"));
  EXPECT_EQ(Verb::kExpectRecord, VerbOf(R"(expect record RUBSAISIE 012 = "A")"));
  EXPECT_EQ("RUBSAISIE id=012", Parsed("expect norecord RUBSAISIE 012"));
  EXPECT_EQ(
      " [SSELECT RUBSAISIE AVEC 1 = \"PRIME]\" PAR 1] [0 1] [014]X]",
      Parsed(R"(expect query "SSELECT RUBSAISIE AVEC 1 = \"PRIME]\" PAR 1" "0 1" = "014]X")"));
  EXPECT_EQ("Txt_CodRubSai", Parsed("expect focus Txt_CodRubSai"));
}

TEST(ScriptTest, Inspecting) {
  EXPECT_EQ(Verb::kShowControl, VerbOf("show Txt_CodRubSai"));
  EXPECT_EQ(Verb::kShowField, VerbOf("show field EnrCreation"));
  EXPECT_EQ("RUBSAISIE id=003", Parsed("dump RUBSAISIE 003"));
  EXPECT_EQ(" [SSELECT RUBSAISIE] [0]", Parsed(R"(dump query "SSELECT RUBSAISIE" "0")"));
}

TEST(ScriptTest, SyntaxErrorsNameTheirLine) {
  EXPECT_EQ("2: unknown command clack", ErrorOf("init\nclack Cmd_OK\n"));
  EXPECT_EQ("1: unterminated string", ErrorOf(R"(type "abc)"));
  EXPECT_EQ("1: unterminated string", ErrorOf(R"(type "abc\")"));
  EXPECT_EQ("3: expected the text in double quotes", ErrorOf("\n\ntype abc"));
  EXPECT_EQ("1: unexpected Cmd_OK at the end of the line", ErrorOf("tab Cmd_OK"));
  EXPECT_EQ("1: expected =", ErrorOf(R"(expect Cmd_OK.Caption "OK")"));
  EXPECT_EQ("1: expected a string, an integer, true or false, found yes",
            ErrorOf("expect Cmd_OK.Enabled = yes"));
  EXPECT_EQ("1: unknown expectation Cmd_OK", ErrorOf("expect Cmd_OK"));
  EXPECT_EQ("1: expected yes or no, found maybe", ErrorOf("maker maybe"));
  EXPECT_EQ("1: an answer is 6 (Yes), 7 (No), 2 (Cancel) or 1 (OK)", ErrorOf("answer 5"));
  EXPECT_EQ("1: unexpected quote after x=", ErrorOf(R"(db COMPTEUR 999 x="1")"));
  EXPECT_EQ("1: a blank must follow the closing quote", ErrorOf(R"(type "a"b)"));
  EXPECT_EQ("1: expected the record text or N=\"TEXT\"", ErrorOf("db COMPTEUR 999"));
  EXPECT_EQ("1: expected ENTER, BACKSPACE or a key code, found TAB", ErrorOf("key TAB"));
  EXPECT_EQ("1: a line starts with a command", ErrorOf(R"("init")"));
}

}  // namespace
}  // namespace talvero::replay
