#include "outside/tools_object.h"

#include <gtest/gtest.h>

#include "screen/display.h"
#include "screen/model.h"

namespace talvero::outside {
namespace {

class ToolsObjectTest : public ::testing::Test {
 protected:
  // Each key typed into the field as the operator's typing would: filtered, then appended when
  // it survives (Backspace removes the last character). Returns the field's text.
  std::string Type(const std::string& keys) {
    for (char c : keys) Key(static_cast<unsigned char>(c));
    return field_.Text();
  }
  int Key(int key) {
    tools_.FiltrerTouche(field_, key, 0);
    std::string text = field_.Text();
    if (key == 8 && !text.empty()) {
      text.pop_back();
    } else if (key >= 32) {
      text += static_cast<char>(key);
    }
    field_.SetText(text);
    return key;
  }
  std::string Zone(const std::string& text, int integers, int decimals) {
    field_.SetText(text);
    return tools_.FormaterZone(field_, integers, decimals);
  }

  ToolsObject tools_;
  screen::HeadlessDisplay display_;
  screen::Screen screen_{display_};
  screen::Surface surface_{screen_, "Ctr_Talvero", false};
  screen::Control& field_ = surface_.Add("Txt_MontBaseRubSai", screen::Kind::TextField);
};

TEST_F(ToolsObjectTest, MakerAndSpecialKeyAreConfigured) {
  EXPECT_FALSE(tools_.EstUtilisateur("OrVanel"));
  EXPECT_EQ("*", tools_.CaractereSaisie());
  tools_.SetMaker(true);
  tools_.SetSpecialKey("+");
  EXPECT_TRUE(tools_.EstUtilisateur("OrVanel"));
  EXPECT_FALSE(tools_.EstUtilisateur("Other"));
  EXPECT_EQ("+", tools_.CaractereSaisie());
}

TEST_F(ToolsObjectTest, FilterKeepsDigitsAndControlKeys) {
  EXPECT_EQ('7', Key('7'));
  EXPECT_EQ(8, Key(8));
  EXPECT_EQ(9, Key(9));
  EXPECT_EQ(13, Key(13));
  for (int key : std::initializer_list<int>{'a', 'Z', '-', '+', ' ', 'e', '*', 0xE9})
    EXPECT_EQ(0, Key(key)) << key;
}

TEST_F(ToolsObjectTest, FilterAllowsOneDecimalComma) {
  EXPECT_EQ("12,5", Type("12.5"));
  EXPECT_EQ("12,57", Type(",.7"));
  // Once the comma is erased, a new one is accepted.
  EXPECT_EQ("12", Type("\b\b\b"));
  EXPECT_EQ("12,3", Type(".3"));
}

TEST_F(ToolsObjectTest, FilterSwallowsCommaWhenPastedTextHasAPoint) {
  field_.SetText("4.5");
  EXPECT_EQ(0, Key(','));
}

TEST_F(ToolsObjectTest, ZoneGivesExactDecimalsWithComma) {
  EXPECT_EQ("12,50", Zone("12,5", 5, 2));
  EXPECT_EQ("1,0000", Zone("1", 3, 4));
  EXPECT_EQ("0,00", Zone("0", 5, 2));
  EXPECT_EQ("100,50", Zone("100,5", 5, 2));
  EXPECT_EQ("12,50", Zone("12.5", 5, 2));
  EXPECT_EQ("0,50", Zone(",5", 5, 2));
  EXPECT_EQ("7,00", Zone("007,", 5, 2));
  EXPECT_EQ("-3,25", Zone("-3,25", 5, 2));
  EXPECT_EQ("12345,00", Zone(" 12345 ", 5, 2));
  EXPECT_EQ("4", Zone("3,5", 2, 0));
}

TEST_F(ToolsObjectTest, ZoneRoundsHalfAwayFromZero) {
  EXPECT_EQ("0,13", Zone("0,125", 5, 2));
  EXPECT_EQ("-0,13", Zone("-0,125", 5, 2));
  EXPECT_EQ("0,12", Zone("0,12499999", 5, 2));
  EXPECT_EQ("1000,00", Zone("999,995", 5, 2));
  EXPECT_EQ("0,3333", Zone("0,33333", 3, 4));
  EXPECT_EQ("0,00", Zone("-0,001", 5, 2));
}

TEST_F(ToolsObjectTest, ZoneLeavesWhatItCannotShowUnchanged) {
  for (const char* text : {"", "abc", "12,5,0", "1-2", "-", ",", "1 2", "1e3", "+5"}) {
    EXPECT_EQ(text, Zone(text, 5, 2)) << text;
  }
  EXPECT_EQ("123456", Zone("123456", 5, 2));
  EXPECT_EQ("99999,999", Zone("99999,999", 5, 2));
  // Leading zeros are not digits of the value.
  EXPECT_EQ("99999,99", Zone("0099999,99", 5, 2));
}

TEST_F(ToolsObjectTest, FormatNombreFollowsTheSameRules) {
  EXPECT_EQ("12,50", tools_.FormatNombre("12.5", 5, 2, 0));
  EXPECT_EQ("100,00", tools_.FormatNombre("100", 3, 2, 0));
  EXPECT_EQ("0,0100", tools_.FormatNombre("0.01", 3, 4, 0));
  EXPECT_EQ("1000", tools_.FormatNombre("1000", 3, 2, 0));
  EXPECT_EQ("n/a", tools_.FormatNombre("n/a", 5, 2, 0));
}

}  // namespace
}  // namespace talvero::outside
