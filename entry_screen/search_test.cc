#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "entry_screen/entry_rig.h"
#include "gateways/dba_error.h"

namespace talvero {
namespace {

// The store, with queries that fail on demand.
class FlakyDatabase : public DBADatabase {
 public:
  explicit FlakyDatabase(std::shared_ptr<DBADatabase> store) : store_(std::move(store)) {}
  std::shared_ptr<DBAFile> DBOpen(const std::string& file) override { return store_->DBOpen(file); }
  DynArrayPtr DBQuery(const std::string& request, const std::string& options,
                      int32_t& count) override {
    ++queries;
    if (fail) throw ComponentError(kErrStorage, "base indisponible");
    return store_->DBQuery(request, options, count);
  }
  void DBTransaction(const std::function<void()>& body) override { store_->DBTransaction(body); }
  bool fail = false;
  int queries = 0;

 private:
  std::shared_ptr<DBADatabase> store_;
};

class SearchTest : public ::testing::Test {
 protected:
  SearchTest() {
    rig.Put("RUBSAISIE", "003", "SALAIRE DE BASE^5^^1^+^1^15167^2^1000000^2^^^^^^0^^^0^0^0^0^0^0");
    rig.Put("RUBSAISIE", "014", "PRIME D'ANCIENNETE^5^^0^+^1^4500^3^^1^12050^^^^^0^^^0^0^0^0^0^0");
    rig.Put("RUBSAISIE", "022", "PRIME DE PANIER^6^^0^+^4^^3^^1^715^^^^^0^^1^0^0^0^0^0^0");
  }
  Ctr_Talvero& InitFlaky() {
    Ctr_Talvero& c = rig.Init();
    flaky = std::make_shared<FlakyDatabase>(rig.db);
    c.TheDatabase(flaky);
    return c;
  }
  std::string Items(const screen::Control& combo) {
    std::string items;
    for (const std::string& item : combo.Items()) items += "[" + item + "]";
    return items;
  }

  testing::EntryRig rig;
  std::shared_ptr<FlakyDatabase> flaky;
};

TEST_F(SearchTest, AFailedFetchLeavesTheListAndTheComboAsTheyWere) {
  Ctr_Talvero& c = InitFlaky();
  const DynArrayPtr before = c.ListeRubriques;
  const std::string items = Items(c.Cbo_LibRubSai);
  EXPECT_EQ("[PRIME D'ANCIENNETE][PRIME DE PANIER         SUPPRIME][SALAIRE DE BASE]", items);

  flaky->fail = true;
  EXPECT_THROW(c.Remplir_RubSaisie(), ComponentError);
  EXPECT_EQ(before, c.ListeRubriques);
  EXPECT_EQ(items, Items(c.Cbo_LibRubSai));

  rig.op.Focus(c.Cbo_LibRubSai);
  rig.op.Type("pri");
  rig.op.Key(screen::kKeyEnter);
  EXPECT_EQ("error \"Erreur -2147221486 : base indisponible\"\n", rig.Log());
  EXPECT_EQ(before, c.ListeRubriques);
  EXPECT_EQ(items, Items(c.Cbo_LibRubSai));
  EXPECT_EQ("pri", c.Cbo_LibRubSai.Text());
}

}  // namespace
}  // namespace talvero
