#include "outside/tools_object.h"

#include <gtest/gtest.h>

#include "screen/screen_fixture.h"

namespace talvero::outside {
namespace {

class ToolsObjectTest : public screen::ScreenFixture {
 protected:
  // The key as the filter leaves it, typed into a field holding text.
  int Filtered(const std::string& text, int key) {
    field_.SetText(text);
    tools_.FiltrerTouche(field_, key, 0);
    return key;
  }

  ToolsObject tools_;
  screen::Control& field_ = C("Txt_MontBaseRubSai");
};

TEST_F(ToolsObjectTest, FilterKeepsDigitsControlKeysAndOneDecimalComma) {
  for (int key : {'7', '\b', '\t', '\r'}) EXPECT_EQ(key, Filtered("12,5", key));
  for (int key : std::initializer_list<int>{'a', '-', '+', ' ', 'e', '*', 0xE9})
    EXPECT_EQ(0, Filtered("12", key)) << key;
  EXPECT_EQ(',', Filtered("12", '.'));
  EXPECT_EQ(',', Filtered("12", ','));
  EXPECT_EQ(0, Filtered("12,5", '.'));
  EXPECT_EQ(0, Filtered("4.5", ','));  // pasted with a point
}

// FormaterZone formats the field's text and FormatNombre a number text, by the same rules.
TEST_F(ToolsObjectTest, FormatsWithExactDecimalsRoundingHalfAwayFromZero) {
  auto format = [&](const std::string& text, int integers, int decimals) {
    field_.SetText(text);
    std::string zone = tools_.FormaterZone(field_, integers, decimals);
    EXPECT_EQ(zone, tools_.FormatNombre(text, integers, decimals, 0)) << text;
    return zone;
  };
  const std::pair<const char*, const char*> rows[] = {
      {"12,5", "12,50"},         {"12.5", "12,50"},   {",5", "0,50"},
      {"007,", "7,00"},          {"-0,125", "-0,13"}, {"0,12499999", "0,12"},
      {"999,995", "1000,00"},    {"-0,001", "0,00"},  {" 12345 ", "12345,00"},
      {"0099999,99", "99999,99"}};
  for (auto [text, expected] : rows) EXPECT_EQ(expected, format(text, 5, 2)) << text;
  // Not a number, or more integer digits than given: unchanged, as the field could not show it.
  for (const char* text : {"", "12,5,0", "1-2", "-", "1 2", "1e3", "+5", "123456", "99999,999"})
    EXPECT_EQ(text, format(text, 5, 2));
  EXPECT_EQ("1,0000", format("1", 3, 4));
  EXPECT_EQ("4", format("3,5", 2, 0));
  EXPECT_EQ("100,00", format("100", 3, 2));
}

}  // namespace
}  // namespace talvero::outside
