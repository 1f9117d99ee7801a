#include "outside/rights_object.h"

#include <gtest/gtest.h>

namespace talvero::outside {
namespace {

TEST(ConfiguredRightsTest, ScreensGetTheirOwnLevelOrTheDefault) {
  ConfiguredRights rights;
  EXPECT_EQ(2, rights.DroitsModule("RUBRIQUEDESAISIE")->NiveauAcces());

  rights.SetLevel("RUBRIQUEDESAISIE", 1);
  rights.SetDefaultLevel(0);
  EXPECT_EQ(1, rights.DroitsModule("RUBRIQUEDESAISIE")->NiveauAcces());
  EXPECT_EQ(0, rights.DroitsModule("PLANCOMPTABLE")->NiveauAcces());
}

TEST(ConfiguredRightsTest, ModuleReadsTheLevelAtEachCall) {
  ConfiguredRights rights;
  std::shared_ptr<DroitModule> module = rights.DroitsModule("RUBRIQUEDESAISIE");
  rights.SetLevel("RUBRIQUEDESAISIE", 1);
  EXPECT_EQ(1, module->NiveauAcces());
  rights.SetLevel("RUBRIQUEDESAISIE", 2);
  EXPECT_EQ(2, module->NiveauAcces());
}

TEST(ConfiguredRightsTest, ModuleOutlivesTheRightsObject) {
  std::shared_ptr<DroitModule> module;
  {
    ConfiguredRights rights;
    rights.SetLevel("RUBRIQUEDESAISIE", 7);
    module = rights.DroitsModule("RUBRIQUEDESAISIE");
  }
  EXPECT_EQ(7, module->NiveauAcces());
}

TEST(ConfiguredRightsTest, CountsQueriesPerScreenName) {
  ConfiguredRights rights;
  EXPECT_EQ(0, rights.QueryCount("RUBRIQUEDESAISIE"));
  rights.DroitsModule("RUBRIQUEDESAISIE");
  rights.DroitsModule("RUBRIQUEDESAISIE");
  rights.DroitsModule("rubriquedesaisie");
  EXPECT_EQ(2, rights.QueryCount("RUBRIQUEDESAISIE"));
  EXPECT_EQ(1, rights.QueryCount("rubriquedesaisie"));
  EXPECT_EQ(0, rights.QueryCount("OTHER"));
}

}  // namespace
}  // namespace talvero::outside
