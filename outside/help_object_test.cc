#include "outside/help_object.h"

#include <gtest/gtest.h>

#include "gateways/dba.h"

namespace talvero::outside {
namespace {

TEST(HelpObjectTest, RecordsCallsInOrder) {
  HelpObject help;
  help.DefinirClient(std::make_shared<DBAClient>());
  help.DefinirBase(nullptr);
  help.AfficherAide("RubriqueSaisie.htm", "0", "Aide", "");
  EXPECT_EQ(
      "DefinirClient(object)\n"
      "DefinirBase(none)\n"
      "AfficherAide(\"RubriqueSaisie.htm\", \"0\", \"Aide\", \"\")",
      help.Journal());
  EXPECT_NE(nullptr, help.Client());
  EXPECT_EQ(nullptr, help.Base());
}

TEST(HelpObjectTest, ForwardsEachRequestToTheSink) {
  HelpObject help;
  help.AfficherAide("before.htm", "", "", "");  // no sink yet: only recorded
  std::string seen;
  help.SetSink([&](const std::string& page, const std::string& mode, const std::string& title,
                   const std::string& extra) {
    seen += page + "|" + mode + "|" + title + "|" + extra + ";";
  });
  help.AfficherAide("RubriqueSaisie.htm", "m", "t", "x");
  help.DefinirBase(nullptr);
  EXPECT_EQ("RubriqueSaisie.htm|m|t|x;", seen);
  EXPECT_EQ(3u, help.Calls().size());
}

}  // namespace
}  // namespace talvero::outside
