#include "outside/rights_object.h"

#include <gtest/gtest.h>

namespace talvero::outside {
namespace {

// The control asks for its module once and reads the level again later, after the rights object
// may have changed or gone.
TEST(ConfiguredRightsTest, ModulesReadTheConfiguredLevelAtEachCall) {
  std::shared_ptr<DroitModule> module;
  {
    ConfiguredRights rights;
    module = rights.DroitsModule("RUBRIQUEDESAISIE");
    EXPECT_EQ(2, module->NiveauAcces());
    rights.SetLevel("RUBRIQUEDESAISIE", 1);
    rights.SetDefaultLevel(0);
    EXPECT_EQ(1, module->NiveauAcces());
    EXPECT_EQ(0, rights.DroitsModule("PLANCOMPTABLE")->NiveauAcces());
    rights.DroitsModule("RUBRIQUEDESAISIE");
    EXPECT_EQ(2, rights.QueryCount("RUBRIQUEDESAISIE"));
    rights.SetLevel("RUBRIQUEDESAISIE", 7);
  }
  EXPECT_EQ(7, module->NiveauAcces());
}

}  // namespace
}  // namespace talvero::outside
