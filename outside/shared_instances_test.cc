#include <gtest/gtest.h>

#include "gateways/tools.h"
#include "outside/help_object.h"
#include "outside/tools_object.h"

namespace talvero {
namespace {

class SharedInstancesTest : public ::testing::Test {
 protected:
  void TearDown() override {
    InstallOutils(nullptr);
    InstallAide(nullptr);
  }
};

TEST_F(SharedInstancesTest, DefaultsAreMadeOnceOnFirstUse) {
  InstallOutils(nullptr);
  Outils& first = SharedOutils();
  EXPECT_EQ(&first, &SharedOutils());
  EXPECT_NE(nullptr, dynamic_cast<outside::ToolsObject*>(&first));
  EXPECT_EQ("*", first.CaractereSaisie());

  InstallAide(nullptr);
  AideEnLigne& help = SharedAide();
  EXPECT_EQ(&help, &SharedAide());
  EXPECT_NE(nullptr, dynamic_cast<outside::HelpObject*>(&help));
}

TEST_F(SharedInstancesTest, InstalledObjectsReplaceTheDefaults) {
  auto tools = std::make_shared<outside::ToolsObject>();
  tools->SetSpecialKey("#");
  InstallOutils(tools);
  EXPECT_EQ(tools.get(), &SharedOutils());
  EXPECT_EQ("#", SharedOutils().CaractereSaisie());

  auto help = std::make_shared<outside::HelpObject>();
  InstallAide(help);
  SharedAide().AfficherAide("RubriqueSaisie.htm", "", "", "");
  EXPECT_EQ(1u, help->Calls().size());

  InstallOutils(nullptr);
  EXPECT_EQ("*", SharedOutils().CaractereSaisie());
}

}  // namespace
}  // namespace talvero
