#include "replay/runner.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "store/sqlite_store.h"

namespace talvero::replay {
namespace {

namespace fs = std::filesystem;

// Scenario files in a directory of the test's own, which is also where the runner makes its
// temporary stores, so that their removal can be checked.
class RunnerTest : public ::testing::Test {
 protected:
  RunnerTest() {
    std::string pattern = (fs::temp_directory_path() / "runner-test-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    old_tmpdir_ = getenv("TMPDIR") ? getenv("TMPDIR") : "";
    setenv("TMPDIR", (dir_ / "tmp").c_str(), 1);
    fs::create_directory(dir_ / "tmp");
  }
  ~RunnerTest() override {
    if (old_tmpdir_.empty())
      unsetenv("TMPDIR");
    else
      setenv("TMPDIR", old_tmpdir_.c_str(), 1);
    fs::remove_all(dir_);
  }

  std::string File(const std::string& name, const std::string& content) {
    std::ofstream((dir_ / name).string()) << content;
    return (dir_ / name).string();
  }

  // Runs the files; returns the exit status and the output with the directory name removed.
  int Run(const std::vector<std::string>& names, RunOptions options = {}) {
    std::vector<std::string> paths;
    for (const std::string& n : names) paths.push_back((dir_ / n).string());
    std::ostringstream out;
    int status = RunScenarioFiles(paths, options, out);
    output_ = out.str();
    for (size_t at; (at = output_.find(dir_.string() + "/")) != std::string::npos;)
      output_.erase(at, dir_.string().size() + 1);
    return status;
  }

  fs::path dir_;
  std::string old_tmpdir_;
  std::string output_;
};

TEST_F(RunnerTest, PassingFileOnAFreshStoreThatIsRemovedAfterwards) {
  File("a.scn",
       "# set up and check the store\n"
       "db RUBSAISIE 003 \"SALAIRE^5\"\n"
       "\n"
       "expect record RUBSAISIE 003 = \"SALAIRE^5^^\"\n"
       "expect record RUBSAISIE 003 2 = \"5\"\n"
       "expect query \"SSELECT RUBSAISIE\" \"0 1\" = \"003]SALAIRE\"\n");
  File("b.scn", "expect norecord RUBSAISIE 003\n");
  EXPECT_EQ(0, Run({"a.scn", "b.scn"}));
  EXPECT_EQ("ok a.scn (6 lines)\nok b.scn (1 lines)\n2 passed, 0 failed\n", output_);
  EXPECT_TRUE(fs::is_empty(dir_ / "tmp"));
}

TEST_F(RunnerTest, FailingExpectationStopsItsFileButNotTheOthers) {
  File("store.db", "");
  fs::remove(dir_ / "store.db");
  File("fail.scn",
       "db RUBSAISIE 003 \"SALAIRE\"\n"
       "expect record RUBSAISIE 003 = \"SALAIRES\"\n"
       "db RUBSAISIE 004 \"NEVER\"\n");
  File("check.scn",
       "expect norecord RUBSAISIE 004\n"
       "expect record RUBSAISIE 003 1 = \"SALAIRE\"\n");
  // Both files work on one store, so the second sees what the first did.
  RunOptions options;
  options.db_path = (dir_ / "store.db").string();
  store::SqliteDatabase::Open(options.db_path);
  EXPECT_EQ(1, Run({"fail.scn", "check.scn"}, options));
  EXPECT_EQ(
      "FAIL fail.scn:2: record RUBSAISIE 003 = \"SALAIRES\" / \"SALAIRE\"\n"
      "ok check.scn (2 lines)\n"
      "1 passed, 1 failed\n",
      output_);
}

TEST_F(RunnerTest, FilesThatCannotRunGiveStatusTwo) {
  File("syntax.scn", "db RUBSAISIE 003 \"A\"\n\nexpect Cmd_OK.Enabled = yes\n");
  File("nocontrol.scn", "click Cmd_OK\n");
  File("store.scn", "db NOPE 1 \"x\"\n");
  EXPECT_EQ(2, Run({"syntax.scn", "missing.scn", "nocontrol.scn", "store.scn"}));
  std::istringstream lines(output_);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(
      "FAIL syntax.scn:3: expect Cmd_OK.Enabled = yes / syntax error: expected a string, an "
      "integer, true or false, found yes",
      line);
  std::getline(lines, line);
  EXPECT_EQ("FAIL missing.scn:0: a scenario file / No such file or directory", line);
  std::getline(lines, line);
  EXPECT_EQ("FAIL nocontrol.scn:1: click Cmd_OK / no control: init has not run", line);
  std::getline(lines, line);
  EXPECT_EQ(0u, line.find("FAIL store.scn:1: db NOPE 1 \"x\" / ")) << line;
  std::getline(lines, line);
  EXPECT_EQ("0 passed, 4 failed", line);
}

TEST_F(RunnerTest, StoreErrorsInAnExpectationAreFailures) {
  File("q.scn", "expect query \"SSELECT RUBSAISIE AVEC\" \"0\" = \"\"\n");
  EXPECT_EQ(1, Run({"q.scn"}));
  EXPECT_EQ(0u,
            output_.find("FAIL q.scn:1: query \"SSELECT RUBSAISIE AVEC\" \"0\" = \"\" / error: "))
      << output_;
}

TEST_F(RunnerTest, EventsLeftUntakenFailTheFile) {
  // Without the settings record, start-up tells the operator so.
  File("quiet.scn", "init\nexpect quiet\n");
  File("end.scn", "init\n# nothing expected\n");
  File("taken.scn",
       "init\nexpect message 48 \"Message ORVANEL\" \"Fichier non trouvé.\"\nexpect quiet\n");
  File("wrong.scn", "init\nexpect beep\n");
  EXPECT_EQ(1, Run({"quiet.scn", "end.scn", "taken.scn", "wrong.scn"}));
  EXPECT_EQ(
      "FAIL quiet.scn:2: quiet / unexpected: message 48 \"Message ORVANEL\" \"Fichier non "
      "trouvé.\"\n"
      "FAIL end.scn:2: no more events / unexpected: message 48 \"Message ORVANEL\" \"Fichier non "
      "trouvé.\"\n"
      "ok taken.scn (3 lines)\n"
      "FAIL wrong.scn:2: beep / message 48 \"Message ORVANEL\" \"Fichier non trouvé.\"\n"
      "1 passed, 3 failed\n",
      output_);
}

TEST_F(RunnerTest, ControlsFieldsAndTheirFailures) {
  File("ok.scn",
       "db COMPTEUR 999 3=\"041\" 15=\"411\"\n"
       "specialkey \"+\"\n"
       "init\n"
       "expect focus Txt_CodRubSai\n"
       "expect Ctr_Talvero.Txt_CodRubSai.Enabled = true\n"
       "expect Frm_Detail.Visible = false\n"
       "expect Frm_Detail.Cmd_Retour.Caption = \"Retour\"\n"
       "expect field PrefixeCompte = \"411\"\n"
       "expect field CodeToucheSpeciale = 43\n"
       "expect field EnrCreation = none\n"
       "terminate\n");
  File("field.scn", "db COMPTEUR 999 3=\"041\"\ninit\nexpect field Nope = 1\n");
  File("prop.scn", "db COMPTEUR 999 3=\"041\"\ninit\nexpect Cmd_OK.Colour = 1\n");
  File("focus.scn", "db COMPTEUR 999 3=\"041\"\ninit\nexpect focus Cbo_LibRubSai\n");
  File("cannot.scn", "db COMPTEUR 999 3=\"041\"\ninit\nfocus Cmd_OK\n");
  EXPECT_EQ(2, Run({"ok.scn", "field.scn", "prop.scn", "focus.scn", "cannot.scn"}));
  EXPECT_EQ(
      "ok ok.scn (11 lines)\n"
      "FAIL field.scn:3: expect field Nope = 1 / unknown field Nope\n"
      "FAIL prop.scn:3: expect Cmd_OK.Colour = 1 / unknown property Cmd_OK.Colour\n"
      "FAIL focus.scn:3: focus Cbo_LibRubSai / focus Ctr_Talvero.Txt_CodRubSai\n"
      "FAIL cannot.scn:3: focus Cmd_OK / Cmd_OK cannot take the focus\n"
      "1 passed, 4 failed\n",
      output_);
}

TEST_F(RunnerTest, VerboseNarratesCommentsLinesAndEvents) {
  File("v.scn",
       "# the store is empty\n"
       "\n"
       "init\n"
       "dump COMPTEUR 999\n"
       "expect message \"Fichier non trouvé.\"\n");
  RunOptions options;
  options.verbose = true;
  testing::internal::CaptureStdout();  // the display echoes events on the standard output
  EXPECT_EQ(0, Run({"v.scn"}, options));
  std::string echoed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(
      "== v.scn\n"
      "  # the store is empty\n"
      "  > init\n"
      "  > dump COMPTEUR 999\n"
      "  = COMPTEUR 999: no record\n"
      "  > expect message \"Fichier non trouvé.\"\n"
      "ok v.scn (5 lines)\n"
      "1 passed, 0 failed\n",
      output_);
  EXPECT_EQ("  | message 48 \"Message ORVANEL\" \"Fichier non trouvé.\"\n", echoed);
}

}  // namespace
}  // namespace talvero::replay
