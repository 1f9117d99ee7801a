#include "replay/scenario.h"

#include <gtest/gtest.h>

#include <sstream>

#include "store/sqlite_store.h"

namespace talvero::replay {
namespace {

// After a start-up on an in-memory store, Cmd_Ajouter shows the detail window modally, then asks
// until the answer is Yes: a handler of the test's own, whatever the control's handlers do.
class ScenarioTest : public ::testing::Test {
 protected:
  ScenarioTest() : scenario_(store::SqliteDatabase::Open(":memory:"), false, out_) {
    EXPECT_EQ("passed", Play("db COMPTEUR 999 3=\"041\"\n"
                             "db RUBSAISIE 003 \"SALAIRE DE BASE^5\"\ninit\n"));
    Ctr_Talvero& control = *scenario_.Control();
    screen::Screen& screen = scenario_.GetScreen();
    control.Cmd_Ajouter.OnClick = [&control, &screen] {
      screen.ShowModal(control.DetailWindow());
      while (screen.MsgBox("Encore ?", 52, "Message ORVANEL") != screen::kAnswerYes) continue;
    };
  }

  // "passed", or "LINE: expected / found" for the line that stopped the file.
  std::string Play(const std::string& script) {
    Outcome o = scenario_.Play(ParseScript(script), 0);
    return o.status == Outcome::Status::kPassed
               ? "passed"
               : std::to_string(o.line) + ": " + o.expected + " / " + o.found;
  }

  std::ostringstream out_;
  Scenario scenario_;
};

TEST_F(ScenarioTest, TheHandlerWaitsWhileTheFollowingLinesActOnTheWindow) {
  // Both surfaces have a Mnu_Sommaire: a bare name is the open window's, a prefix names a surface.
  EXPECT_EQ("passed", Play("answer 7 6\n"
                           "click Cmd_Ajouter\n"
                           "expect show Frm_Detail\n"
                           "expect Ctr_Talvero.Mnu_Sommaire.Enabled = false\n"
                           "expect Mnu_Sommaire.Enabled = true\n"
                           "select Lst_ListeRubSai 0\n"
                           "expect Frm_Detail.Lst_ListeRubSai.Selected(0) = true\n"
                           "expect Lst_ListeRubSai.List(0) = \"003 SALAIRE DE BASE\"\n"
                           "close Frm_Detail\n"  // refused until Cmd_Retour accepts
                           "click Cmd_Gauche\n"
                           "click Cmd_Retour\n"
                           "expect unload Frm_Detail\n"
                           "expect message \"Encore ?\"\n"
                           "expect message 52 \"Message ORVANEL\" \"Encore ?\"\n"));
}

TEST_F(ScenarioTest, AFailureInsideTheWindowStopsTheFileOnce) {
  // The handler resumes and asks an unanswered question: the first failure is the one reported,
  // no later line runs (the dump would print) and the window closes with the file.
  EXPECT_EQ("2: Frm_Detail.Caption = \"Autre\" / \"Details de la base de la rubrique\"",
            Play("click Cmd_Ajouter\n"
                 "expect Frm_Detail.Caption = \"Autre\"\n"
                 "dump COMPTEUR 999\n"));
  EXPECT_EQ("", out_.str());
  EXPECT_FALSE(scenario_.Control()->DetailWindow().Loaded());
}

}  // namespace
}  // namespace talvero::replay
