#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "entry_screen/entry_rig.h"
#include "gateways/tools.h"
#include "outside/tools_object.h"

namespace talvero {
namespace {

// The tools object, recording what the value fields ask of it.
class RecordingTools : public outside::ToolsObject {
 public:
  void FiltrerTouche(screen::Control& field, int& key, int32_t option) override {
    calls +=
        "filter " + field.Name() + " " + std::to_string(key) + " " + std::to_string(option) + ";";
    if (key == 'x') key = 0;
  }
  std::string FormaterZone(screen::Control& field, int integers, int decimals) override {
    calls += "format " + field.Name() + " '" + field.Text() + "' " + std::to_string(integers) +
             " " + std::to_string(decimals) + ";";
    return ToolsObject::FormaterZone(field, integers, decimals);
  }
  std::string calls;
};

class ValueFieldsTest : public ::testing::Test {
 protected:
  ValueFieldsTest() { c = &rig.Init(); }
  ~ValueFieldsTest() override { InstallOutils(nullptr); }
  std::shared_ptr<RecordingTools> Record() {
    auto tools = std::make_shared<RecordingTools>();
    InstallOutils(tools);
    return tools;
  }

  testing::EntryRig rig;
  Ctr_Talvero* c = nullptr;
};

TEST_F(ValueFieldsTest, EveryKeyGoesToTheFilterUntouched) {
  auto tools = Record();
  int keys[] = {8, 13, '5', 'x'};
  c->Txt_MontBaseRubSai_KeyPress(keys[0]);
  c->Txt_MontTauxRubSai_KeyPress(keys[1]);
  c->Txt_ValMontRubSai_KeyPress(keys[2]);
  c->Txt_ValMontRubSai_KeyPress(keys[3]);
  EXPECT_EQ(
      "filter Txt_MontBaseRubSai 8 0;filter Txt_MontTauxRubSai 13 0;"
      "filter Txt_ValMontRubSai 53 0;filter Txt_ValMontRubSai 120 0;",
      tools->calls);
  EXPECT_EQ(0, keys[3]);
  EXPECT_EQ('5', keys[2]);
}

TEST_F(ValueFieldsTest, AValueLongerThanTheFieldsFormatIsRefusedAndEmptied) {
  c->Txt_ValMontRubSai.SetText("123456");
  c->Txt_ValMontRubSai_LostFocus();
  c->Txt_MontTauxRubSai.SetText("999,99999");  // rounds to 1000,0000
  c->Txt_MontTauxRubSai_LostFocus();
  c->Txt_MontBaseRubSai.SetText("99999,99");
  c->Txt_MontBaseRubSai_LostFocus();
  const std::string refused =
      "message 48 \"Message ORVANEL\" \"La valeur saisie ne peut avoir plus de %d chiffres "
      "avant la virgule, veuillez la ressaisir.\"\n";
  std::string expected = refused;
  expected.replace(expected.find("%d"), 2, "5");
  std::string rate = refused;
  rate.replace(rate.find("%d"), 2, "3");
  EXPECT_EQ(expected + rate, rig.Log());
  EXPECT_EQ("", c->Txt_ValMontRubSai.Text());
  EXPECT_EQ("", c->Txt_MontTauxRubSai.Text());
  EXPECT_EQ("99999,99", c->Txt_MontBaseRubSai.Text());

  // Too many digits for any number the machine holds is still too many digits for the field.
  c->Txt_ValMontRubSai.SetText(std::string(400, '9') + ",5");
  c->Txt_ValMontRubSai_LostFocus();
  EXPECT_EQ(expected, rig.Log());
  EXPECT_EQ("", c->Txt_ValMontRubSai.Text());
}

}  // namespace
}  // namespace talvero
