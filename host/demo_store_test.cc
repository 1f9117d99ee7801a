#include "host/demo_store.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

#include "gateways/dyn_array.h"
#include "host/catalogue.h"
#include "host/session.h"
#include "host/test_support.h"
#include "screen/display.h"
#include "screen/operator.h"

namespace talvero::host {
namespace {

namespace fs = std::filesystem;

TEST(DefaultDemoStorePath, FollowsXdgDataHomeThenHome) {
  struct Case {
    std::map<std::string, std::string> environment;
    std::string expected;
  } cases[] = {
      {{{"XDG_DATA_HOME", "/data"}, {"HOME", "/home/paie"}}, "/data/talvero/demo.db"},
      {{{"HOME", "/home/paie"}}, "/home/paie/.local/share/talvero/demo.db"},
      {{{"XDG_DATA_HOME", ""}, {"HOME", "/home/paie"}}, "/home/paie/.local/share/talvero/demo.db"},
      {{{"XDG_DATA_HOME", "data"}, {"HOME", "/home/paie"}},
       "/home/paie/.local/share/talvero/demo.db"},
  };
  for (const Case& c : cases) {
    Environment environment = [&c](const std::string& name) -> std::optional<std::string> {
      auto found = c.environment.find(name);
      if (found == c.environment.end()) return std::nullopt;
      return found->second;
    };
    EXPECT_EQ(DefaultDemoStorePath(environment), fs::path(c.expected));
  }
  EXPECT_THROW(DefaultDemoStorePath([](const std::string&) { return std::nullopt; }),
               std::runtime_error);
}

class DemoStoreTest : public ScratchTest {};

TEST_F(DemoStoreTest, AFailedBuildLeavesNothingBehind) {
  fs::path path = scratch_ / "broken.db";
  EXPECT_THROW(BuildStore(path, "RUBSAISIE 001 \"A\"\nRUBSAISIE 002\n"), CatalogueError);
  EXPECT_TRUE(fs::is_empty(scratch_));
}

TEST_F(DemoStoreTest, AStoreOfOnesOwnIsBuiltFromItsCatalogueOnFirstUse) {
  std::string catalogue = (scratch_ / "paie.txt").string();
  {
    std::ofstream(catalogue) << "COMPTEUR 999 3=\"001\"\n"
                                "RUBSAISIE 001 \"SALAIRE DE BASE^5^^1^+^1^15167^2^1000000^2\"\n";
  }
  HostOptions options;
  options.db = (scratch_ / "paie.db").string();
  options.catalogue = catalogue;
  screen::HeadlessDisplay display;
  screen::Screen screen(display);
  {
    HostSession first(options, screen);
    EXPECT_TRUE(first.BuiltStore());
    first.Database()->PutRecord("RUBSAISIE", "002", "PRIME");
  }
  HostSession second(options, screen);
  EXPECT_FALSE(second.BuiltStore());
  EXPECT_EQ(second.Start().Cbo_LibRubSai.Items(),
            (std::vector<std::string>{"PRIME", "SALAIRE DE BASE"}));
}

// The shipped catalogue shows what the screen can do: every field of application, every kind of
// base, rate and amount, both benefit and expense selectors, component items of both senses.
TEST(DemoCatalogue, UsesEveryCodeOfEverySelector) {
  std::map<int, std::set<std::string>> seen;  // attribute -> values
  int items = 0, deleted = 0;
  for (const CatalogueRecord& record : ReadCatalogue(DemoCatalogueText())) {
    if (record.file != "RUBSAISIE") continue;
    ++items;
    DBADynArray item(record.stored_text);
    for (int attribute : {2, 3, 6, 8, 10, 14, 16, 17, 19})
      seen[attribute].insert(item.Get(attribute, 1));
    if (item.Get(18) == "1") ++deleted;
  }
  using Set = std::set<std::string>;
  EXPECT_GE(items, 55);
  EXPECT_GE(deleted, 2);
  EXPECT_EQ(seen[2], (Set{"0", "1", "2", "3", "4", "5", "6"}));
  EXPECT_EQ(seen[3], (Set{"", "L", "N", "V", "A"}));
  EXPECT_EQ(seen[17], (Set{"", "F", "R", "P", "D"}));
  EXPECT_EQ(seen[6], (Set{"0", "1", "2", "3", "4"}));
  EXPECT_EQ(seen[8], (Set{"0", "1", "2", "3", "4"}));
  EXPECT_EQ(seen[10], (Set{"0", "1", "2"}));
  EXPECT_EQ(seen[14], (Set{"", "I", "R"}));
  EXPECT_EQ(seen[16], (Set{"0", "1", "2"}));
  EXPECT_EQ(seen[19], (Set{"0", "1", "2"}));
}

// Every entry item of the demo opens on the screen, through the control, without a message, and
// every live one saves again as it is: the catalogue holds no combination the screen refuses. The
// store is built on first use only.
TEST_F(DemoStoreTest, EveryItemOfTheDemoOpensAndSavesWithoutErrorInTheStoreBuiltOnFirstUse) {
  screen::HeadlessDisplay display;
  screen::Screen screen(display);
  screen::Operator op(screen);
  HostSession session(HostOptions{}, screen);
  EXPECT_TRUE(session.BuiltStore());
  Ctr_Talvero& control = session.Start();
  op.Settle();
  ASSERT_TRUE(display.Pending().empty()) << display.Pending().front().Describe();
  EXPECT_EQ(control.Field("ComptesActifs")->text, "true");
  EXPECT_TRUE(control.Cac_telegere.Visible());

  int opened = 0;
  for (const CatalogueRecord& record : ReadCatalogue(DemoCatalogueText())) {
    if (record.file != "RUBSAISIE") continue;
    DBADynArray item(record.stored_text);
    bool deleted = item.Get(18) == "1";
    op.Focus(control.Txt_CodRubSai);
    op.Type(record.id);
    op.Settle();
    ASSERT_TRUE(display.Pending().empty())
        << record.id << ": " << display.Pending().front().Describe();
    EXPECT_EQ(control.Txt_LibRubSai.Text(), item.Get(1) + (deleted ? "         SUPPRIME" : ""))
        << record.id;
    EXPECT_EQ(control.Cmd_Supprimer.Caption(), deleted ? "Réactiver" : "Supprimer") << record.id;
    EXPECT_EQ(control.Cbo_ChpAppliRubSai.Text(),
              control.Cbo_ChpAppliRubSai.List(std::stoi(item.Get(2))))
        << record.id;
    if (!item.Get(12).empty()) {
      EXPECT_FALSE(control.Cbo_DebitRubSai.Text().empty()) << record.id << ": debit label";
    }
    op.Click(deleted ? control.Cmd_Annuler : control.Cmd_OK);
    op.Settle();
    ASSERT_TRUE(display.Pending().empty())
        << record.id << (deleted ? " Annuler: " : " OK: ") << display.Pending().front().Describe();
    ASSERT_EQ(control.Txt_CodRubSai.Text(), "") << record.id;
    ++opened;
  }
  EXPECT_GE(opened, 55);
  EXPECT_FALSE(HostSession(HostOptions{}, screen).BuiltStore());
}

}  // namespace
}  // namespace talvero::host
