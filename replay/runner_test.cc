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

// Files in a directory of the test's own, also the working directory and where temporary stores go.
class RunnerTest : public ::testing::Test {
 protected:
  RunnerTest() {
    dir_ = mkdtemp((base_ / "runner-test-XXXXXX").string().data());
    fs::create_directory(dir_ / "tmp");
    setenv("TMPDIR", (dir_ / "tmp").c_str(), 1);
    fs::current_path(dir_);
  }
  ~RunnerTest() override {
    fs::current_path(base_);
    fs::remove_all(dir_);
  }

  void File(const std::string& name, const std::string& content) { std::ofstream(name) << content; }
  // The exit status, with the output in output_.
  int Run(const std::vector<std::string>& names, RunOptions options = {}) {
    std::ostringstream out;
    int status = RunScenarioFiles(names, options, out);
    output_ = out.str();
    return status;
  }

  // Taken before the first test points TMPDIR into its own directory.
  static inline const fs::path base_ = fs::temp_directory_path();
  fs::path dir_;
  std::string output_;
};

// A component item whose detail window is open at the last line.
constexpr const char* kDetailShown =
    "db COMPTEUR 999 3=\"041\"\n"
    "db RUBSAISIE 003 \"SALAIRE DE BASE^5^^1^+^1^15167^2^1000000^2^^^^^^0^^^0^0^0^0^0^0\"\n"
    "db RUBSAISIE 030 \"CONGES PAYES^5^^1^+^2^10000^2^1000000^2^^^^I^003^0^^^0^0^0^0^0^0\"\n"
    "init\n"
    "type \"030\"\n"
    "click Cmd_DetailRubSai\n"
    "expect show Frm_Detail\n";

TEST_F(RunnerTest, OneFileGivesItsLineAndExitStatus) {
  // The file, the exit status, how the output starts.
  for (const auto& [content, status, output] :
       std::initializer_list<std::tuple<std::string, int, const char*>>{
           {"# a comment\n\nexpect norecord RUBSAISIE 003\n", 0,
            "ok f.scn (3 lines)\n1 passed, 0 failed\n"},
           {"db RUBSAISIE 003 \"SAL \\\"A\\\"^5\"\nexpect record RUBSAISIE 003 1 = \"SAL\"\n", 1,
            "FAIL f.scn:2: record RUBSAISIE 003 1 = \"SAL\" / \"SAL \\\"A\\\"\"\n"},
           // Without the settings record start-up tells the operator so: the event must be taken.
           {"init\n", 1, "FAIL f.scn:1: no more events / unexpected: message 48 "},
           {"init\nexpect quiet\n", 1, "FAIL f.scn:2: quiet / unexpected: message 48 "},
           {"init\nexpect message \"Fichier non trouvé.\"\nexpect beep\n", 1,
            "FAIL f.scn:3: beep / nothing\n"},
           // The store's own errors are what an expectation finds; an unknown property cannot run.
           {"expect query \"SSELECT R AVEC\" \"0\" = \"\"\n", 1,
            "FAIL f.scn:1: query \"SSELECT R AVEC\" \"0\" = \"\" / error: "},
           {"expect Screen.Colour = 1\n", 2,
            "FAIL f.scn:1: expect Screen.Colour = 1 / unknown property Screen.Colour\n"},
           // A syntax error stops the file before its first line runs.
           {"db RUBSAISIE 003 \"A\"\n\nclack Cmd_OK\n", 2,
            "FAIL f.scn:3: clack Cmd_OK / syntax error: unknown command clack\n"},
           {"db COMPTEUR 999 3=\"041\"\ninit\nclick Cmd_Ajouter\ntype \"X\"\nclick Cmd_Annuler\n",
            2, "FAIL f.scn:5: click Cmd_Annuler / unanswered question: Etes-vous sûr"},
           // A file may end inside the detail window: the runner closing it afterwards is no
           // event of the file, but what the file left untaken still fails it.
           {kDetailShown, 0, "ok f.scn (7 lines)\n"},
           {std::string(kDetailShown) + "mousedown Frm_Detail 2\n", 1,
            "FAIL f.scn:8: no more events / unexpected: popup Mnu_Aide\n"},
       }) {
    File("f.scn", content);
    EXPECT_EQ(status, Run({"f.scn"})) << content;
    EXPECT_TRUE(output_.starts_with(output)) << output_;
  }
  EXPECT_TRUE(fs::is_empty(dir_ / "tmp"));
}

TEST_F(RunnerTest, AFailingFileStopsWhileTheOthersRun) {
  // The dump would print if the file went on after its failure.
  File("fail.scn",
       "db RUBSAISIE 003 \"SALAIRE\"\nexpect norecord RUBSAISIE 003\ndump RUBSAISIE 003\n");
  File("pass.scn", "expect norecord RUBSAISIE 003\n");
  EXPECT_EQ(2, Run({"fail.scn", "missing.scn", "pass.scn"}));
  EXPECT_EQ(
      "FAIL fail.scn:2: norecord RUBSAISIE 003 / record \"SALAIRE\"\n"
      "FAIL missing.scn:0: a scenario file / No such file or directory\n"
      "ok pass.scn (1 lines)\n"
      "1 passed, 2 failed\n",
      output_);
  // On one store named by the caller, the second file sees what the first did.
  RunOptions shared;
  shared.db_path = "store.db";
  store::SqliteDatabase::Open("store.db");
  EXPECT_EQ(1, Run({"fail.scn", "pass.scn"}, shared));
  EXPECT_NE(std::string::npos, output_.find("FAIL pass.scn:1:")) << output_;
}

}  // namespace
}  // namespace talvero::replay
