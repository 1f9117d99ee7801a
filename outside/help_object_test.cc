#include "outside/help_object.h"

#include <gtest/gtest.h>

#include "gateways/dba.h"
#include "outside/tools_object.h"

namespace talvero::outside {
namespace {

TEST(HelpObjectTest, RecordsCallsInOrderAndHandsRequestsToTheSink) {
  HelpObject help;
  help.DefinirClient(std::make_shared<DBAClient>());
  help.AfficherAide("avant.htm", "", "", "");  // no sink yet: only recorded
  std::string seen;
  help.SetSink([&](const auto&... texts) { ((seen += texts + "|"), ...); });
  help.DefinirBase(nullptr);
  help.AfficherAide("RubriqueSaisie.htm", "0", "Aide", "");
  EXPECT_EQ(
      "DefinirClient(object)\nAfficherAide(\"avant.htm\", \"\", \"\", \"\")\nDefinirBase(none)\n"
      "AfficherAide(\"RubriqueSaisie.htm\", \"0\", \"Aide\", \"\")",
      help.Journal());
  EXPECT_EQ("RubriqueSaisie.htm|0|Aide||", seen);
}

// The library-wide instances: made once on first use, replaced by an installed object, made anew
// once null is installed.
TEST(SharedInstancesTest, InstalledObjectsReplaceTheDefaults) {
  Outils& made = SharedOutils();
  EXPECT_EQ(&made, &SharedOutils());
  auto tools = std::make_shared<ToolsObject>();
  auto help = std::make_shared<HelpObject>();
  InstallOutils(tools);
  InstallAide(help);
  EXPECT_EQ(tools.get(), &SharedOutils());
  EXPECT_EQ(help.get(), &SharedAide());
  InstallOutils(nullptr);
  InstallAide(nullptr);
  EXPECT_NE(tools.get(), dynamic_cast<ToolsObject*>(&SharedOutils()));
  EXPECT_NE(nullptr, dynamic_cast<ToolsObject*>(&SharedOutils()));
  EXPECT_NE(nullptr, dynamic_cast<HelpObject*>(&SharedAide()));
}

}  // namespace
}  // namespace talvero::outside
