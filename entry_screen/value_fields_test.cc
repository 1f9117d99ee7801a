#include <gtest/gtest.h>

#include <string>

#include "entry_screen/entry_rig.h"

namespace talvero {
namespace {

// Measured once rounded to the field's decimals: a rate of 999,99999 is 1000,0000, one digit too
// many; a base of 99999,99 fits exactly.
TEST(ValueFieldsTest, AValueLongerThanTheFieldsFormatIsRefusedAndEmptied) {
  testing::EntryRig rig;
  Ctr_Talvero& c = rig.Init();
  c.Txt_ValMontRubSai.SetText("123456");
  c.Txt_ValMontRubSai_LostFocus();
  c.Txt_MontTauxRubSai.SetText("999,99999");
  c.Txt_MontTauxRubSai_LostFocus();
  c.Txt_MontBaseRubSai.SetText("99999,99");
  c.Txt_MontBaseRubSai_LostFocus();
  auto refused = [](const char* digits) {
    return std::string("message 48 \"Message ORVANEL\" \"La valeur saisie ne peut avoir plus de ") +
           digits + " chiffres avant la virgule, veuillez la ressaisir.\"\n";
  };
  EXPECT_EQ(refused("5") + refused("3"), rig.Log());
  EXPECT_EQ("", c.Txt_ValMontRubSai.Text());
  EXPECT_EQ("", c.Txt_MontTauxRubSai.Text());
  EXPECT_EQ("99999,99", c.Txt_MontBaseRubSai.Text());

  // Too many digits for any number the machine holds is still too many digits for the field.
  c.Txt_ValMontRubSai.SetText(std::string(400, '9') + ",5");
  c.Txt_ValMontRubSai_LostFocus();
  EXPECT_EQ(refused("5"), rig.Log());
  EXPECT_EQ("", c.Txt_ValMontRubSai.Text());
}

}  // namespace
}  // namespace talvero
