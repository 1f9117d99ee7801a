#include "screen/operator.h"

#include <gtest/gtest.h>

#include "screen/screen_fixture.h"

namespace talvero::screen {
namespace {

using OperatorTest = ScreenFixture;

TEST_F(OperatorTest, AKeyAtTheCaretEditsInsideTheTextAfterKeyPress) {
  struct Case {
    const char* name;
    int key, start, length;
    std::string text;
    int caret;
  };
  const Case cases[] = {
      {"typed in the middle", 'X', 1, 0, "éXté", 2},
      {"replacing a selection", 'X', 1, 2, "éX", 2},
      {"backspace in the middle", kKeyBackspace, 2, 0, "éé", 1},
      {"backspace on a selection", kKeyBackspace, 0, 2, "é", 0},
      {"backspace at the start", kKeyBackspace, 0, 0, "été", 0},
      {"swallowed", '!', 1, 0, "été", 1},
  };
  Control& label = C("Txt_LibRubSai");
  std::string log;
  label.OnKeyPress = [&](int& k) {
    log += "key;";
    if (k == '!') k = 0;
  };
  label.OnChange = [&] { log += "change;"; };
  op_.Focus(label);
  for (const Case& c : cases) {
    label.SetText("été");
    log.clear();
    EXPECT_EQ(c.caret, op_.KeyAt(c.key, c.start, c.length)) << c.name;
    EXPECT_EQ(c.text, label.Text()) << c.name;
    EXPECT_EQ(c.text == "été" ? "key;" : "key;change;", log) << c.name;
  }
}

TEST_F(OperatorTest, SpaceClicksTheFocusedButtonCheckBoxOrOptionUnlessSwallowed) {
  int clicks = 0;
  C("Cmd_OK").OnClick = [&] { ++clicks; };
  op_.Focus(C("Cmd_OK"));
  op_.Key(kKeySpace);
  op_.Type(" ");
  EXPECT_EQ(2, clicks);
  op_.Focus(C("Cac_RubNuit"));
  op_.Key(kKeySpace);
  EXPECT_EQ(1, C("Cac_RubNuit").Value());
  C("Cac_RubNuit").OnKeyPress = [](int& k) { k = 0; };
  op_.Key(kKeySpace);
  EXPECT_EQ(1, C("Cac_RubNuit").Value());
}

TEST_F(OperatorTest, BackTabMovesToThePreviousControlThatCanTakeTheFocus) {
  op_.Focus(C("Cbo_ChpAppliRubSai"));
  op_.BackTab();
  EXPECT_TRUE(C("Cbo_LibRubSai").HasFocus());
  op_.BackTab();
  op_.BackTab();
  EXPECT_TRUE(C("Cac_RubNePasFacturer").HasFocus());
}

// Keys are characters, not bytes: what the operator types is decoded, and Backspace takes the
// whole last character away.
TEST(Utf8Test, DecodesEncodesAndDropsWholeCharacters) {
  auto codes = DecodeUtf8("aé€");
  ASSERT_EQ(3u, codes.size());
  EXPECT_EQ(0xE9u, static_cast<unsigned>(codes[1]));
  EXPECT_EQ("€", EncodeUtf8(codes[2]));
  EXPECT_EQ("aé", DropLastChar("aé€"));
  EXPECT_EQ("a", DropLastChar("aé"));
}

}  // namespace
}  // namespace talvero::screen
