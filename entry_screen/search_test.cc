#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "entry_screen/entry_rig.h"
#include "gateways/dba_error.h"

namespace talvero {
namespace {

class SearchTest : public ::testing::Test {
 protected:
  SearchTest() {
    rig.Put("RUBSAISIE", "003", "SALAIRE DE BASE^5^^1^+^1^15167^2^1000000^2^^^^^^0^^^0^0^0^0^0^0");
    rig.Put("RUBSAISIE", "014", "PRIME D'ANCIENNETE^5^^0^+^1^4500^3^^1^12050^^^^^0^^^0^0^0^0^0^0");
    rig.Put("RUBSAISIE", "022", "PRIME DE PANIER^6^^0^+^4^^3^^1^715^^^^^0^^1^0^0^0^0^0^0");
  }
  // The control started on a store whose queries fail once fail is set.
  Ctr_Talvero& InitFlaky() {
    Ctr_Talvero& c = rig.Init();
    auto flaky = std::make_shared<testing::HookedDatabase>(rig.db);
    flaky->before_query = [this] {
      if (fail) throw ComponentError(kErrStorage, "base indisponible");
    };
    c.TheDatabase(flaky);
    return c;
  }
  std::string Items(const screen::Control& combo) {
    std::string items;
    for (const std::string& item : combo.Items()) items += "[" + item + "]";
    return items;
  }

  testing::EntryRig rig;
  bool fail = false;
};

TEST_F(SearchTest, AFailedFetchLeavesTheListAndTheComboAsTheyWere) {
  Ctr_Talvero& c = InitFlaky();
  const DynArrayPtr before = c.ListeRubriques;
  const std::string items = Items(c.Cbo_LibRubSai);
  EXPECT_EQ("[PRIME D'ANCIENNETE][PRIME DE PANIER         SUPPRIME][SALAIRE DE BASE]", items);

  fail = true;
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
