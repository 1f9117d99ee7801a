#include "screen/operator.h"

#include <gtest/gtest.h>

#include "screen/screen_fixture.h"

namespace talvero::screen {
namespace {

using OperatorTest = ScreenFixture;

TEST_F(OperatorTest, TypingRaisesKeyPressThenAddsTheCharacterUnlessSwallowed) {
  Control& code = C("Txt_CodRubSai");
  code.OnKeyPress = [](int& k) {
    if (k < '0' || k > '9') k = 0;
  };
  op_.Focus(code);
  op_.Type("1a2é");
  EXPECT_EQ("12", code.Text());
}

TEST_F(OperatorTest, BackspaceRemovesTheLastCharacterAndEnterAddsNothing) {
  Control& label = C("Txt_LibRubSai");
  op_.Focus(label);
  op_.Type("été");
  op_.Key(kKeyEnter);
  op_.Key(kKeyBackspace);
  EXPECT_EQ("ét", label.Text());
}

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

TEST_F(OperatorTest, PasteRaisesOneChangeAndNoKeyPress) {
  Control& label = C("Txt_LibRubSai");
  int keys = 0;
  label.OnKeyPress = [&](int&) { ++keys; };
  Spy(label);
  op_.Focus(label);
  log_.clear();
  op_.Paste("PRIME");
  EXPECT_EQ(0, keys);
  EXPECT_EQ("Txt_LibRubSai.Change;", log_);
}

TEST_F(OperatorTest, AnOperatorFocusMoveRaisesLostFocusThenGotFocusAtOnce) {
  Spy(C("Txt_CodRubSai"));
  Spy(C("Cbo_LibRubSai"));
  op_.Focus(C("Txt_CodRubSai"));
  op_.Focus(C("Cbo_LibRubSai"));
  op_.Focus(C("Cbo_LibRubSai"));
  EXPECT_EQ("Txt_CodRubSai.GotFocus;Txt_CodRubSai.LostFocus;Cbo_LibRubSai.GotFocus;", log_);
  EXPECT_THROW(op_.Focus(C("Etq_CodRubSai")), OperatorError);
}

TEST_F(OperatorTest, PickingMovesTheFocusFirstThenRaisesClickWithoutChange) {
  Spy(C("Txt_CodRubSai"));
  Spy(C("Cbo_TypBaseRubSai"));
  op_.Focus(C("Txt_CodRubSai"));
  log_.clear();
  op_.Pick(C("Cbo_TypBaseRubSai"), "Fixe");
  EXPECT_EQ("Txt_CodRubSai.LostFocus;Cbo_TypBaseRubSai.GotFocus;Cbo_TypBaseRubSai.Click;", log_);
  EXPECT_EQ("Fixe", C("Cbo_TypBaseRubSai").Text());
  EXPECT_THROW(op_.Pick(C("Cbo_TypBaseRubSai"), "fixe"), OperatorError);
}

TEST_F(OperatorTest, AClickIsSwallowedWhenLostFocusSendsTheFocusElsewhere) {
  int clicks = 0;
  C("Cmd_OK").OnClick = [&] { ++clicks; };
  op_.Focus(C("Txt_CodRubSai"));
  C("Txt_CodRubSai").OnLostFocus = [this] { C("Txt_LibRubSai").SetFocus(); };
  op_.Click(C("Cmd_OK"));
  EXPECT_EQ(0, clicks);
  EXPECT_TRUE(C("Txt_LibRubSai").HasFocus());
}

TEST_F(OperatorTest, AClickRunsOnceWhenTheButtonKeepsTheFocus) {
  Control& ok = C("Cmd_OK");
  int clicks = 0;
  ok.OnClick = [&] { ++clicks; };
  op_.Click(ok);
  EXPECT_EQ(1, clicks);
  ok.SetEnabled(false);
  op_.Click(ok);
  EXPECT_EQ(1, clicks);
}

TEST_F(OperatorTest, TabMovesToTheNextControlThatCanTakeTheFocus) {
  C("Cbo_LibRubSai").SetEnabled(false);
  op_.Focus(C("Txt_CodRubSai"));
  op_.Tab();
  EXPECT_TRUE(C("Cbo_ChpAppliRubSai").HasFocus());
}

TEST_F(OperatorTest, SelectingRowsRaisesNoEvent) {
  Control& list = C("Cbo_DebitRubSai");
  list.AddItem("A");
  list.AddItem("B");
  Spy(list);
  op_.Select(list, {0, 1});
  EXPECT_TRUE(list.Selected(0));
  EXPECT_EQ(1, list.ListIndex());
  EXPECT_EQ("", log_);
}

TEST_F(OperatorTest, AnErrorInAHandlerIsReportedAndTheNextActionStillWorks) {
  Control& code = C("Txt_CodRubSai");
  code.OnChange = [] { throw std::runtime_error("boom"); };
  op_.Focus(code);
  op_.Type("1");
  ASSERT_EQ(1u, display_.Pending().size());
  EXPECT_EQ(LoggedEvent::Kind::Error, display_.Pending().front().kind);
  code.OnChange = nullptr;
  op_.Type("2");
  EXPECT_EQ("12", code.Text());
}

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
