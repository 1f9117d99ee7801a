#include "host/options.h"

#include <gtest/gtest.h>

#include <fstream>

#include "host/control_class.h"
#include "host/test_support.h"

namespace talvero::host {
namespace {

TEST(ReadCommandLine, ReadsEachOptionIntoTheHostOptions) {
  CommandLine none = ReadCommandLine({});
  ASSERT_TRUE(none.options);
  EXPECT_FALSE(none.options->db);
  EXPECT_EQ(none.options->level, 2);
  EXPECT_FALSE(none.options->maker);
  EXPECT_EQ(none.options->special_key, "*");
  EXPECT_FALSE(none.options->clsid);

  CommandLine all = ReadCommandLine({"--level", "1", "--maker", "--special-key", "é", "--clsid"});
  ASSERT_TRUE(all.options) << all.error;
  EXPECT_EQ(all.options->level, 1);
  EXPECT_TRUE(all.options->maker);
  EXPECT_EQ(all.options->special_key, "é");
  EXPECT_EQ(all.options->clsid, kControlClassId);

  CommandLine other = ReadCommandLine({"--clsid", "{1cb349e0-9d58-4639-b684-331c3e66397f}"});
  ASSERT_TRUE(other.options) << other.error;
  EXPECT_EQ(other.options->clsid, "{1cb349e0-9d58-4639-b684-331c3e66397f}");

  CommandLine help = ReadCommandLine({"--help"});  // on standard output, with status 0
  EXPECT_FALSE(help.options);
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_NE(help.output.find("--special-key"), std::string::npos);
  EXPECT_TRUE(help.error.empty());
}

class StoreOptionTest : public ScratchTest {};

TEST_F(StoreOptionTest, AnExistingStoreIsTakenAndAMissingOneRefused) {
  std::string path = (scratch_ / "paie.db").string();  // a missing one: in the table below
  { std::ofstream(path) << ""; }
  CommandLine taken = ReadCommandLine({"--db", path});
  ASSERT_TRUE(taken.options) << taken.error;
  EXPECT_EQ(taken.options->db, path);

  // With a catalogue the store may not exist yet: it is built from the catalogue.
  std::string catalogue = (scratch_ / "paie.txt").string();
  { std::ofstream(catalogue) << "COMPTEUR 999 3=\"001\"\n"; }
  EXPECT_FALSE(ReadCommandLine({"--catalogue", catalogue}).options);  // needs --db
  std::string fresh = (scratch_ / "neuve.db").string();
  CommandLine built = ReadCommandLine({"--db", fresh, "--catalogue", catalogue});
  ASSERT_TRUE(built.options) << built.error;
  EXPECT_EQ(built.options->catalogue, catalogue);
}

TEST(ReadCommandLine, BadCommandLinesGiveTheProblemAndTheUsageWithStatusTwo) {
  struct Case {
    std::vector<std::string> arguments;
    std::string problem;  // a part of the message
  } cases[] = {
      {{"--level"}, "--level"},
      {{"--level", "deux"}, "deux"},
      {{"--level", "12"}, "12"},
      {{"--special-key", "ab"}, "one character"},
      {{"--special-key", "7"}, "digit"},
      {{"--special-key", ""}, "one character"},
      {{"--db", "/nowhere/paie.db"}, "no store at /nowhere/paie.db"},
      {{"--clsid", "1CB349E0-9D58-4639-B684-331C3E66397F"}, "not a class id"},
      {{"--clsid", "{1CB349E0-9D58-4639-B684-331C3E66397G}"}, "not a class id"},
      {{"--clsid", "{1CB349E09D58-4639-B684-331C3E66397F-}"}, "not a class id"},
      {{"--verbose"}, "--verbose"},
      {{"--catalogue", "/nowhere/paie.txt", "--db", "paie.db"}, "/nowhere/paie.txt"},
      {{"paie.db"}, "paie.db"},
  };
  for (const Case& c : cases) {
    CommandLine line = ReadCommandLine(c.arguments);
    std::string shown = c.arguments.front();
    EXPECT_FALSE(line.options) << shown;
    EXPECT_EQ(line.exit_status, 2) << shown;
    EXPECT_NE(line.error.find(c.problem), std::string::npos) << shown << ": " << line.error;
    EXPECT_NE(line.error.find("--special-key"), std::string::npos) << "usage after " << shown;
  }
}

}  // namespace
}  // namespace talvero::host
