// An operator whose rights allow consultation only (a level other than 2) tries every way the
// screen has of writing: nothing reaches the store, not even an attempt.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "entry_screen/entry_rig.h"
#include "gateways/tools.h"
#include "outside/tools_object.h"
#include "screen/display.h"
#include "tests/reliability/reliability_rig.h"

namespace talvero::reliability {
namespace {

struct WritingPath {
  const char* name;
  bool maker;  // the operator is one of the maker's users
  std::function<void(testing::EntryRig&, Ctr_Talvero&)> play;
};

void ShowAndEdit(testing::EntryRig& rig, Ctr_Talvero& c, const std::string& code) {
  rig.op.Focus(c.Txt_CodRubSai);
  rig.op.Type(code);
  rig.op.Focus(c.Txt_LibRubSai);
  rig.op.Paste("LIBELLE CHANGE");
  rig.op.Click(c.Cac_RubNuit);
}

void AnswerYesAndLeave(testing::EntryRig& rig, Ctr_Talvero& c) {
  rig.display_.QueueAnswer(screen::kAnswerYes);
  rig.op.Click(c.Cmd_Sortir);
}

const WritingPath kPaths[] = {
    {"OK, Ajouter and Supprimer on an edited item", false,
     [](testing::EntryRig& rig, Ctr_Talvero& c) {
       ShowAndEdit(rig, c, "022");
       for (screen::Control* button : {&c.Cmd_OK, &c.Cmd_Ajouter, &c.Cmd_Supprimer}) {
         rig.display_.QueueAnswer(screen::kAnswerYes);
         rig.op.Click(*button);
       }
     }},
    {"Sortir after editing, answering yes to saving", false,
     [](testing::EntryRig& rig, Ctr_Talvero& c) {
       ShowAndEdit(rig, c, "022");
       AnswerYesAndLeave(rig, c);
     }},
    {"Supprimer on a deleted item (reactivation)", false,
     [](testing::EntryRig& rig, Ctr_Talvero& c) {
       rig.op.Focus(c.Txt_CodRubSai);
       rig.op.Type("033");
       rig.display_.QueueAnswer(screen::kAnswerYes);
       rig.op.Click(c.Cmd_Supprimer);
       AnswerYesAndLeave(rig, c);
     }},
    {"a free code of the maker's range typed by a maker's user, then Enter and Sortir", true,
     [](testing::EntryRig& rig, Ctr_Talvero& c) {
       rig.op.Focus(c.Txt_CodRubSai);
       rig.op.Type("850");
       rig.op.Key(screen::kKeyEnter);
       rig.op.Focus(c.Txt_LibRubSai);
       rig.op.Paste("CREATION MAISON");
       rig.op.Key(screen::kKeyEnter);
       rig.op.Click(c.Cmd_OK);
       AnswerYesAndLeave(rig, c);
     }},
    {"an item of the maker's range edited by a maker's user, then Sortir", true,
     [](testing::EntryRig& rig, Ctr_Talvero& c) {
       ShowAndEdit(rig, c, "850");
       AnswerYesAndLeave(rig, c);
     }},
    {"label search, pick, and the accounts' keys", false,
     [](testing::EntryRig& rig, Ctr_Talvero& c) {
       rig.op.Focus(c.Cbo_LibRubSai);
       rig.op.Type("PRIME");
       rig.op.Key(screen::kKeyEnter);
       rig.op.Pick(c.Cbo_LibRubSai, 0);
       rig.op.Focus(c.Txt_DebitRubSai);
       rig.op.Type("41");
       rig.op.Key(screen::kKeyEnter);
       AnswerYesAndLeave(rig, c);
     }},
};

TEST(ReadOnlyOperatorTest, NoPathOfTheScreenWritesForAConsultationOnlyOperator) {
  for (const WritingPath& path : kPaths) {
    testing::EntryRig rig;
    rig.Put("COMPTEUR", "999", "^^041^^^^^^^^^^^^001");
    rig.Put("RUBSAISIE", "022", "PRIME DE PANIER^6^^0^+^4^^3^^1^715^^^^^0^^^0^0^0^0^0^0");
    rig.Put("RUBSAISIE", "033", "PRIME SUPPRIMEE^6^^0^+^4^^3^^1^715^^^^^0^^1^0^0^0^0^0^0");
    rig.Put("RUBSAISIE", "850", "PRIME MAISON^5^^0^+^1^1000^3^^2^^^^R^^0^^^0^0^0^0^0^0");
    rig.Put("PLANCOMPTABLE", "0014110000000", "CLIENTS");
    rig.Put("PLANCOMPTABLE", "0014120000000", "CLIENTS DOUTEUX");
    auto tools = std::make_shared<outside::ToolsObject>();
    tools->SetMaker(path.maker);
    InstallOutils(tools);
    auto injecting = std::make_shared<InjectingDatabase>(rig.db);
    rig.host_db = injecting;
    rig.rights->SetDefaultLevel(1);
    const std::string before = Dump(*rig.db);

    Ctr_Talvero& c = rig.Init();
    path.play(rig, c);
    rig.op.Settle();

    EXPECT_EQ(0, injecting->WritesTried()) << path.name;
    EXPECT_EQ(before, Dump(*rig.db)) << path.name;
    EXPECT_EQ(std::string::npos, rig.Log().find("error")) << path.name;
    rig.control.reset();
    InstallOutils(nullptr);
  }
  Report("read-only-operator", "paths=" + std::to_string(std::size(kPaths)) + " writes=0");
}

}  // namespace
}  // namespace talvero::reliability
