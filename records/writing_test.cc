#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "entry_screen/entry_rig.h"
#include "store/test_notation.h"

namespace talvero {
namespace {

// A new item of the simplest allowed kind: no base, no rate, an amount entered on pay slips.
void FillNewItem(testing::EntryRig& rig, const std::string& label) {
  Ctr_Talvero& c = *rig.control;
  c.Cmd_Ajouter_Click();
  rig.op.Settle();
  rig.op.Type(label);
  rig.op.Pick(c.Cbo_ChpAppliRubSai, "Inclus dans brut montant");
  rig.op.Pick(c.Cbo_TypBaseRubSai, "Pas de base");
  rig.op.Pick(c.Cbo_TypTauxRubSai, "Pas de taux");
  rig.op.Pick(c.Cbo_TypMontRubSai, "A saisir");
  rig.op.Focus(c.Txt_LibRubSai);
}

// Each process creates items through the writer on one store; it fails when a creation is refused
// or leaves a message.
void CreateAtOnce(Backend backend, int processes, int items_each) {
  FreshStore base(backend);
  {
    std::shared_ptr<store::Store> db = base.Open();
    db->PutRecord("COMPTEUR", "999", Marks("^^041"));
    db->PutRecord("RUBSAISIE", "043", Marks("PRIME EXISTANTE^6"));
    db->PutRecord("RUBSAISIE", "045", Marks("PRIME SUPPRIMEE^6^^^^^^^^^^^^^^^^1"));
  }
  std::vector<int> failures = InProcesses(processes, [&](int p) {
    testing::EntryRig rig;
    // Every read of the counter slowed down: another process then has all the time it needs to
    // read the same counter before this one writes it back.
    auto slow = std::make_shared<testing::HookedDatabase>(base.Open());
    slow->after_read = [](const std::string& file) {
      if (file == "COMPTEUR") std::this_thread::sleep_for(std::chrono::milliseconds(3));
    };
    rig.host_db = slow;
    Ctr_Talvero& c = rig.Init();
    int failed = 0;
    for (int k = 0; k < items_each; ++k) {
      FillNewItem(rig, "P" + std::to_string(p) + " N" + std::to_string(k));
      rig.Log();
      c.Ecrire_Donnees();
      if (c.ErreurSaisie || c.ModeCreation != 0 || !rig.Log().empty()) ++failed;
    }
    return failed;
  });
  EXPECT_EQ(std::vector<int>(processes, 0), failures);

  std::shared_ptr<store::Store> db = base.Open();
  std::set<std::string> labels;
  long highest = 0;
  for (long code = 42; code <= 799; ++code) {
    std::string id = std::string(code < 100 ? "0" : "") + std::to_string(code);
    std::optional<std::string> text = db->GetRecord("RUBSAISIE", id);
    if (!text || id == "043" || id == "045") continue;
    labels.insert(DBADynArray(*text).Get(1));
    highest = code;
  }
  EXPECT_EQ(static_cast<size_t>(processes * items_each), labels.size());
  EXPECT_EQ("PRIME EXISTANTE^6", Readable(db->GetRecord("RUBSAISIE", "043").value()));
  EXPECT_EQ("1", DBADynArray(db->GetRecord("RUBSAISIE", "045").value()).Get(18));
  EXPECT_EQ(41 + processes * items_each + 2, highest);
  EXPECT_EQ("^^" + std::to_string(highest).insert(0, 3 - std::to_string(highest).size(), '0'),
            Readable(db->GetRecord("COMPTEUR", "999").value()));
}

// On both stores; TALVERO_LONG=1 (make reliability) runs it at length.
TEST(WritingTest, ProcessesCreatingAtOnceNeverShareACodeNorReplaceAnItem) {
  const bool at_length =
      std::getenv("TALVERO_LONG") && std::string(std::getenv("TALVERO_LONG")) == "1";
  for (Backend backend : {Backend::kSqlite, Backend::kPostgres}) {
    if (backend == Backend::kPostgres && ServerUrl().empty()) continue;
    SCOPED_TRACE(BackendName(backend));
    CreateAtOnce(backend, 2, 8);
    CreateAtOnce(backend, 4, 6);
    for (int round = 0; at_length && round < 5; ++round) CreateAtOnce(backend, 4, 40);
  }
}

}  // namespace
}  // namespace talvero
