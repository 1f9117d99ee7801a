#include "screen/model.h"

#include <gtest/gtest.h>

#include "gateways/dba_error.h"
#include "screen/screen_fixture.h"

namespace talvero::screen {
namespace {

using ModelTest = ScreenFixture;

TEST_F(ModelTest, AssigningListIndexSetsTextAndRaisesClickNotChange) {
  Control& amount = C("Cbo_TypMontRubSai");
  Spy(amount);
  amount.SetListIndex(1);
  EXPECT_EQ("Fixe", amount.Text());
  amount.SetListIndex(-1);
  EXPECT_EQ("", amount.Text());
  EXPECT_EQ("Cbo_TypMontRubSai.Click;Cbo_TypMontRubSai.Click;", log_);
  EXPECT_THROW(amount.SetListIndex(3), ComponentError);
}

TEST_F(ModelTest, SettingAnOptionClearsTheOthersOfItsFrameOnly) {
  Spy(C("Opt_Excluse"));
  Spy(C("Opt_Incluse"));
  C("Opt_Excluse").SetValue(1);
  EXPECT_EQ(0, C("Opt_Incluse").Value());
  EXPECT_EQ(0, C("Opt_Regularisation").Value());
  EXPECT_EQ(1, C("Opt_HresNormales").Value());  // another frame
  EXPECT_EQ(1, C("Opt_AjoutRubSai").Value());
  C("Opt_Excluse").SetValue(1);  // already true: no second Click
  EXPECT_EQ("Opt_Excluse.Click;", log_);
}

TEST_F(ModelTest, SetFocusOnAControlThatCannotTakeItDoesNothing) {
  C("Txt_CodRubSai").SetFocus();
  C("Etq_CodRubSai").SetFocus();
  C("Etq_PrcMontBaseRubSai").SetFocus();
  C("Txt_DebitRubSai").SetFocus();  // disabled at design time
  C("Cdr_Modulation").SetEnabled(false);
  C("Opt_Incluse").SetFocus();
  EXPECT_TRUE(C("Txt_CodRubSai").HasFocus());
  surface_->SetEnabled(false);
  C("Cbo_LibRubSai").SetFocus();
  EXPECT_TRUE(C("Txt_CodRubSai").HasFocus());
}

TEST_F(ModelTest, AFocusedControlThatIsHiddenLosesTheFocusWithoutLostFocus) {
  Control& base = C("Txt_MontBaseRubSai");
  base.SetFocus();
  screen_.DoEvents();
  Spy(base);
  base.SetVisible(false);
  screen_.DoEvents();
  EXPECT_EQ(nullptr, screen_.Focused());
  EXPECT_EQ("", log_);
}

TEST_F(ModelTest, AnErrorEscapingAnEventIsReportedAndTheScreenGivenBack) {
  screen_.SetMousePointer(kPointerHourglass);
  surface_->SetEnabled(false);
  screen_.Guard([] { throw ComponentError(kErrRecordNotFound, "Enregistrement absent"); });
  ASSERT_EQ(1u, display_.Pending().size());
  EXPECT_EQ("error \"Erreur -2147221493 : Enregistrement absent\"",
            display_.Pending().front().Describe());
  EXPECT_EQ(kPointerDefault, screen_.MousePointer());
  EXPECT_TRUE(surface_->Enabled());
}

TEST_F(ModelTest, AModalWindowLoadsShowsAndBlocksTheEntryScreenUntilUnloaded) {
  auto detail = MakeDetailWindow(screen_);
  std::string seen;
  int closes = 0;
  detail->OnLoad = [&] { seen += "load;"; };
  detail->OnUnload = [&](int& cancel) {
    seen += "unload;";
    cancel = ++closes == 1;  // refuses the first close
  };
  screen_.modal_loop = [&](Surface& w) {
    seen += C("Txt_CodRubSai").CanTakeFocus() ? "entry-usable;" : "entry-blocked;";
    EXPECT_FALSE(screen_.Unload(w));
    EXPECT_TRUE(screen_.Unload(w));
  };
  screen_.ShowModal(*detail);
  EXPECT_EQ("load;entry-blocked;unload;unload;", seen);
  EXPECT_FALSE(detail->Loaded());
  EXPECT_TRUE(C("Txt_CodRubSai").CanTakeFocus());
}

}  // namespace
}  // namespace talvero::screen
