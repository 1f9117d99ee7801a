// A store whose writes fail (a full disk, a read-only file), met by the operator on the screen:
// the failure is reported, nothing is half-written, and once the store writes again the very same
// screen finishes the work.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "entry_screen/entry_rig.h"
#include "screen/display.h"
#include "tests/reliability/reliability_rig.h"

namespace talvero::reliability {
namespace {

constexpr const char* kItem = "PRIME DE PANIER^6^^0^+^4^^3^^1^715^^^^^0^^^0^0^0^0^0^0";

class FailingStoreTest : public ::testing::TestWithParam<WriteFault> {
 protected:
  FailingStoreTest() {
    rig.Put("RUBSAISIE", "022", kItem);
    rig.host_db = injecting;
    rig.Init();
    rig.Log();
  }
  Ctr_Talvero& c() { return *rig.control; }
  std::string Stored(const std::string& file, const std::string& id) {
    return rig.Record(rig.db->DBOpen(file)->DBRecord(id));
  }
  // The error the operator saw names the fault.
  void ExpectReported() {
    std::string log = rig.Log();
    EXPECT_NE(std::string::npos, log.find("error \"Erreur -2147221486 : ")) << log;
    EXPECT_NE(std::string::npos,
              log.find(GetParam() == WriteFault::kDiskFull ? "disk is full" : "readonly"))
        << log;
  }
  void NewItem(const std::string& label) {
    rig.op.Click(c().Cmd_Ajouter);
    rig.op.Type(label);
    rig.op.Pick(c().Cbo_ChpAppliRubSai, "Inclus dans brut montant");
    rig.op.Pick(c().Cbo_TypBaseRubSai, "Pas de base");
    rig.op.Pick(c().Cbo_TypTauxRubSai, "Pas de taux");
    rig.op.Pick(c().Cbo_TypMontRubSai, "A saisir");
  }

  testing::EntryRig rig;
  std::shared_ptr<InjectingDatabase> injecting = std::make_shared<InjectingDatabase>(rig.db);
};

TEST_P(FailingStoreTest, AFailedSaveKeepsTheStoredItemAndCanBeDoneAgain) {
  const std::string before = Dump(*rig.db);
  rig.op.Focus(c().Txt_CodRubSai);
  rig.op.Type("022");
  rig.op.Focus(c().Txt_LibRubSai);
  rig.op.Paste("PRIME DE PANIER JOUR");
  injecting->Fail(GetParam());
  rig.op.Click(c().Cmd_OK);
  ExpectReported();
  EXPECT_EQ(before, Dump(*rig.db));
  EXPECT_EQ("022", c().Txt_CodRubSai.Text());
  EXPECT_EQ("PRIME DE PANIER JOUR", c().Txt_LibRubSai.Text());

  injecting->Fail(WriteFault::kNone);
  rig.op.Click(c().Cmd_OK);
  EXPECT_EQ("", rig.Log());
  EXPECT_EQ("PRIME DE PANIER JOUR^6^^0^+^4^^3^^1^715^^^^^0^^^0^0^0^0^0^0",
            Stored("RUBSAISIE", "022"));
  EXPECT_EQ("", c().Txt_CodRubSai.Text());
}

// The counter is written before the item, on purpose: a code whose item could not be stored is
// skipped, never handed out twice. The item itself is wholly stored or not at all.
TEST_P(FailingStoreTest, ACreationWhoseItemCannotBeWrittenSkipsItsCodeAndStoresNoItem) {
  NewItem("INDEMNITE NOUVELLE");
  injecting->Fail(GetParam(), /*writes_before_fault=*/1);
  rig.op.Click(c().Cmd_OK);
  ExpectReported();
  EXPECT_EQ(2, injecting->WritesTried());
  EXPECT_EQ("^^042", Stored("COMPTEUR", "999"));
  EXPECT_EQ(std::nullopt, rig.db->GetRecord("RUBSAISIE", "042"));

  injecting->Fail(WriteFault::kNone);
  rig.op.Click(c().Cmd_OK);
  EXPECT_EQ("", rig.Log());
  EXPECT_EQ("^^043", Stored("COMPTEUR", "999"));
  EXPECT_EQ("INDEMNITE NOUVELLE", rig.db->DBOpen("RUBSAISIE")->DBRead("043")->Get(1));
}

TEST_P(FailingStoreTest, AFailedDeletionLeavesTheItemUndeletedOnScreenAndInTheStore) {
  const std::string before = Dump(*rig.db);
  rig.op.Focus(c().Txt_CodRubSai);
  rig.op.Type("022");
  injecting->Fail(GetParam());
  rig.display_.QueueAnswer(screen::kAnswerYes);
  rig.op.Click(c().Cmd_Supprimer);
  ExpectReported();
  EXPECT_EQ(before, Dump(*rig.db));
  EXPECT_FALSE(c().RubSupprimee);
  EXPECT_EQ("Supprimer", c().Cmd_Supprimer.Caption());

  injecting->Fail(WriteFault::kNone);
  rig.display_.QueueAnswer(screen::kAnswerYes);
  rig.op.Click(c().Cmd_Supprimer);
  rig.Log();
  EXPECT_EQ("1", rig.db->DBOpen("RUBSAISIE")->DBRead("022")->Get(18));
}

INSTANTIATE_TEST_SUITE_P(Faults, FailingStoreTest,
                         ::testing::Values(WriteFault::kDiskFull, WriteFault::kReadOnly));

}  // namespace
}  // namespace talvero::reliability
