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

TEST_F(SearchTest, CodeFieldTakesDigitsTheSpecialKeyAndCompletesOnEnter) {
  Ctr_Talvero& c = rig.Init();
  std::string passed;
  for (int key : {48, 57, 42, 8, 97, 47, 58, 32, 0xE9}) {
    int k = key;
    c.Txt_CodRubSai_KeyPress(k);
    passed += std::to_string(k) + " ";
  }
  EXPECT_EQ("48 57 42 8 0 0 0 0 0 ", passed);

  c.Txt_CodRubSai.SetText("14");
  int enter = 13;
  c.Txt_CodRubSai_KeyPress(enter);
  EXPECT_EQ(13, enter);
  EXPECT_EQ("014", c.Txt_CodRubSai.Text());
  EXPECT_EQ("PRIME D'ANCIENNETE", c.Txt_LibRubSai.Text());
}

TEST_F(SearchTest, LabelKeysFromTheBraceOnAreRefused) {
  Ctr_Talvero& c = rig.Init();
  for (int key : {122, 65, 32, 39}) {
    int k = key;
    c.Cbo_LibRubSai_KeyPress(k);
    EXPECT_EQ(key, k);
  }
  EXPECT_EQ("", rig.Log());
  for (int key : {123, 126, 0xE9, 0xE0}) {
    int k = key;
    c.Cbo_LibRubSai_KeyPress(k);
    EXPECT_EQ(0, k);
  }
  const std::string refused =
      "message 48 \"Message ORVANEL\" \"La saisie de minuscule accentuée est interdite sur cette "
      "zone.\"\n";
  EXPECT_EQ(refused + refused + refused + refused, rig.Log());
}

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

TEST_F(SearchTest, AQuoteInTheSearchIsRefusedWithoutAQuery) {
  Ctr_Talvero& c = InitFlaky();
  const DynArrayPtr before = c.ListeRubriques;
  rig.op.Focus(c.Cbo_LibRubSai);
  rig.op.Paste("PRIME \"A\"");
  rig.op.Key(screen::kKeyEnter);
  EXPECT_EQ(0, flaky->queries);
  EXPECT_EQ(std::string(R"x(message 48 "Message ORVANEL" "La recherche d'un libellé )x"
                        R"x(ne peut pas contenir de guillemet (").")x") +
                "\n",
            rig.Log());
  EXPECT_EQ(before, c.ListeRubriques);
  EXPECT_EQ(3, c.Cbo_LibRubSai.ListCount());
}

TEST_F(SearchTest, AnItemGoneSinceTheListWasFetchedLeavesTheScreenInSearchMode) {
  Ctr_Talvero& c = rig.Init();
  rig.db->DeleteRecord("RUBSAISIE", "014");
  rig.op.Focus(c.Txt_CodRubSai);
  rig.op.Type("014");
  EXPECT_NE(std::string::npos, rig.Log().find("error"));
  EXPECT_EQ("", c.Txt_CodRubSai.Text());
  EXPECT_TRUE(c.Txt_CodRubSai.Enabled());
  EXPECT_TRUE(c.Cbo_LibRubSai.Visible());
  EXPECT_FALSE(c.Txt_LibRubSai.Visible());
  EXPECT_FALSE(c.Cmd_OK.Enabled());
  EXPECT_EQ("Txt_CodRubSai", rig.Focused());
  EXPECT_EQ("none", rig.Record(c.EnrRubSaisie));

  // Picked from the list, the same: the pick does not go on to item mode.
  rig.op.Pick(c.Cbo_LibRubSai, "PRIME D'ANCIENNETE");
  EXPECT_NE(std::string::npos, rig.Log().find("error"));
  EXPECT_TRUE(c.Cbo_LibRubSai.Visible());
  EXPECT_FALSE(c.Cmd_OK.Enabled());
  EXPECT_TRUE(c.Cmd_Ajouter.Enabled());

  // The next item loads normally.
  rig.op.Focus(c.Txt_CodRubSai);
  rig.op.Type("003");
  EXPECT_EQ("", rig.Log());
  EXPECT_EQ("SALAIRE DE BASE", c.Txt_LibRubSai.Text());
}

}  // namespace
}  // namespace talvero
