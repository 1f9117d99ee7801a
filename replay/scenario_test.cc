#include "replay/scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace talvero::replay {
namespace {

// Plays scripts on an in-memory store after a start-up, with Cmd_Ajouter rewired to a handler of
// the test's own, so that the modal loop and the scripted answers are seen without depending on
// what the control's own handlers do.
class ScenarioTest : public ::testing::Test {
 protected:
  ScenarioTest() : scenario_(store::SqliteDatabase::Open(":memory:"), false, out_) {
    scenario_.before_line = [this](const Command& c) {
      journal_ += "L" + std::to_string(c.line) + ";";
    };
    EXPECT_EQ("passed", Play("db COMPTEUR 999 3=\"041\"\ninit\n"));
    journal_.clear();
  }

  // The outcome as one line: "passed", or "failed 3: expected / found".
  std::string Play(const std::string& script) {
    std::vector<Command> commands = ParseScript(script);
    Outcome o =
        scenario_.Play(commands, static_cast<int>(std::count(script.begin(), script.end(), '\n')));
    switch (o.status) {
      case Outcome::Status::kPassed:
        return "passed";
      case Outcome::Status::kFailed:
        return "failed " + std::to_string(o.line) + ": " + o.expected + " / " + o.found;
      default:
        return "cannot run " + std::to_string(o.line) + ": " + o.expected + " / " + o.found;
    }
  }

  // Cmd_Ajouter shows the detail window modally; Cmd_Retour unloads it.
  void WireModalWindow() {
    Ctr_Talvero& control = *scenario_.Control();
    screen::Screen& screen = scenario_.GetScreen();
    control.Cmd_Ajouter.OnClick = [this, &control, &screen] {
      journal_ += "shown;";
      screen.ShowModal(control.DetailWindow());
      journal_ += "resumed;";
    };
    control.DetailWindow().Get("Cmd_Retour").OnClick = [&control, &screen] {
      screen.Unload(control.DetailWindow());
    };
  }

  std::ostringstream out_;
  Scenario scenario_;
  std::string journal_;
};

TEST_F(ScenarioTest, TheHandlerWaitsWhileTheFollowingLinesActOnTheWindow) {
  WireModalWindow();
  EXPECT_EQ("passed", Play("click Cmd_Ajouter\n"
                           "expect show Frm_Detail\n"
                           "expect Frm_Detail.Visible = true\n"
                           "expect Mnu_Aide.Enabled = true\n"
                           "click Cmd_Retour\n"
                           "expect unload Frm_Detail\n"
                           "expect Frm_Detail.Visible = false\n"));
  EXPECT_EQ("L1;shown;L2;L3;L4;L5;resumed;L6;L7;", journal_);
}

TEST_F(ScenarioTest, NamesAreLookedUpOnTheOpenWindowFirst) {
  WireModalWindow();
  // Both surfaces have a Mnu_Sommaire; the prefix names the entry screen's.
  EXPECT_EQ("passed", Play("click Cmd_Ajouter\n"
                           "expect show Frm_Detail\n"
                           "expect Ctr_Talvero.Mnu_Sommaire.Enabled = false\n"
                           "expect Frm_Detail.Mnu_Sommaire.Enabled = true\n"
                           "expect Mnu_Sommaire.Enabled = true\n"
                           "expect Txt_CodRubSai.Enabled = true\n"
                           "click Cmd_Retour\n"
                           "expect unload Frm_Detail\n"));
}

TEST_F(ScenarioTest, AFailureInsideTheWindowStopsTheFileOnce) {
  WireModalWindow();
  // The handler resumes after the failure and asks an unanswered question: the first failure
  // is the one reported.
  scenario_.Control()->Cmd_Ajouter.OnClick = [this] {
    screen::Screen& screen = scenario_.GetScreen();
    screen.ShowModal(scenario_.Control()->DetailWindow());
    journal_ += "resumed;";
    screen.MsgBox("Encore ?", 52, "Message ORVANEL");
  };
  EXPECT_EQ("failed 3: Frm_Detail.Caption = \"Autre\" / \"Details de la base de la rubrique\"",
            Play("click Cmd_Ajouter\n"
                 "expect show Frm_Detail\n"
                 "expect Frm_Detail.Caption = \"Autre\"\n"
                 "click Cmd_Retour\n"));
  EXPECT_EQ("L1;L2;L3;resumed;", journal_);
}

TEST_F(ScenarioTest, AWindowLeftOpenAtTheEndOfTheFileCloses) {
  WireModalWindow();
  EXPECT_EQ("failed 2: no more events / unexpected: unload Frm_Detail",
            Play("click Cmd_Ajouter\nexpect show Frm_Detail\n"));
  EXPECT_EQ("L1;shown;L2;resumed;", journal_);
  EXPECT_FALSE(scenario_.Control()->DetailWindow().Loaded());
}

TEST_F(ScenarioTest, QuestionsTakeTheQueuedAnswersInOrder) {
  std::string answers;
  scenario_.Control()->Cmd_Ajouter.OnClick = [this, &answers] {
    for (int i = 0; i < 2; ++i)
      answers += std::to_string(scenario_.GetScreen().MsgBox("Sûr ?", 52, "T")) + ";";
    // An OK-only box takes no queued answer.
    answers += std::to_string(scenario_.GetScreen().MsgBox("Fait.", 64, "T")) + ";";
  };
  EXPECT_EQ("passed", Play("answer 7 6\n"
                           "click Cmd_Ajouter\n"
                           "expect message 52 \"T\" \"Sûr ?\"\n"
                           "expect message \"Sûr ?\"\n"
                           "expect message 64 \"T\" \"Fait.\"\n"));
  EXPECT_EQ("7;6;1;", answers);
  EXPECT_EQ("cannot run 1: click Cmd_Ajouter / unanswered question: Sûr ?",
            Play("click Cmd_Ajouter\n"));
}

TEST_F(ScenarioTest, ErrorsEscapingAHandlerAreShownToTheOperator) {
  scenario_.Control()->Cmd_Ajouter.OnClick = [] {
    throw ComponentError(kErrRecordNotFound, "Enregistrement introuvable");
  };
  EXPECT_EQ("passed", Play("click Cmd_Ajouter\n"
                           "expect error \"introuvable\"\n"
                           "expect quiet\n"));
  EXPECT_EQ(
      "failed 2: error \"absent\" / error \"Erreur -2147221493 : Enregistrement introuvable\"",
      Play("click Cmd_Ajouter\nexpect error \"absent\"\n"));
}

TEST_F(ScenarioTest, SetUpAfterStartUpActsBehindTheControlsBack) {
  EXPECT_EQ("passed", Play("db RUBSAISIE 003 1=\"SALAIRE\" 15=\"003]007\"\n"
                           "expect record RUBSAISIE 003 = \"SALAIRE^^^^^^^^^^^^^^003]007\"\n"
                           "dbdelete RUBSAISIE 003\n"
                           "expect norecord RUBSAISIE 003\n"
                           "terminate\n"));
  EXPECT_EQ(nullptr, scenario_.Control());
  EXPECT_EQ("cannot run 1: terminate / no control to terminate", Play("terminate\n"));
}

}  // namespace
}  // namespace talvero::replay
