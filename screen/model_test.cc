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

TEST_F(ModelTest, SetFocusDoesNothingOnAControlThatCannotTakeItButWorksUnderADisabledSurface) {
  C("Txt_CodRubSai").SetFocus();
  C("Etq_CodRubSai").SetFocus();
  C("Etq_PrcMontBaseRubSai").SetFocus();
  C("Txt_DebitRubSai").SetFocus();  // disabled at design time
  C("Cdr_Modulation").SetEnabled(false);
  C("Opt_Incluse").SetFocus();
  EXPECT_TRUE(C("Txt_CodRubSai").HasFocus());
  // A surface disabled for a long operation refuses the operator's input, not the program.
  surface_->SetEnabled(false);
  C("Cbo_LibRubSai").SetFocus();
  EXPECT_TRUE(C("Cbo_LibRubSai").HasFocus());
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

// The observer's record: "Txt_CodRubSai.kText;" style entries, one per change told.
class ObservedModelTest : public ScreenFixture {
 protected:
  ObservedModelTest() {
    token_ = screen_.Subscribe([this](const ScreenChange& c) {
      std::string who = c.control ? c.control->Name() : c.surface ? c.surface->Name() : "Screen";
      told_ += who + "." + std::to_string(static_cast<int>(c.what)) + ";";
    });
  }
  // The screen outlives what the observer writes to: it stops listening first.
  ~ObservedModelTest() override { screen_.Unsubscribe(token_); }
  static std::string Told(const std::string& who, ScreenChange::What what) {
    return who + "." + std::to_string(static_cast<int>(what)) + ";";
  }
  int token_;
  std::string told_;
};

using W = ScreenChange::What;

TEST_F(ObservedModelTest, EachSetterTellsOnceAndOnlyWhenTheValueChanges) {
  struct Case {
    const char* name;
    std::function<void()> set;
    std::string told;
  };
  const Case cases[] = {
      {"text", [this] { C("Txt_LibRubSai").SetText("Prime"); }, Told("Txt_LibRubSai", W::kText)},
      {"same text", [this] { C("Txt_LibRubSai").SetText("Prime"); }, ""},
      {"caption", [this] { C("Cmd_OK").SetCaption("Valider"); }, Told("Cmd_OK", W::kCaption)},
      {"enabled", [this] { C("Cmd_OK").SetEnabled(false); }, Told("Cmd_OK", W::kEnabled)},
      {"same enabled", [this] { C("Cmd_OK").SetEnabled(false); }, ""},
      {"visible", [this] { C("Cmd_OK").SetVisible(false); }, Told("Cmd_OK", W::kVisible)},
      {"check box", [this] { C("Cac_RubNuit").SetValue(1); }, Told("Cac_RubNuit", W::kValue)},
      {"option clears its neighbour", [this] { C("Opt_Excluse").SetValue(1); },
       Told("Opt_Excluse", W::kValue) + Told("Opt_Incluse", W::kValue)},
      {"list index", [this] { C("Cbo_TypMontRubSai").SetListIndex(0); },
       Told("Cbo_TypMontRubSai", W::kListIndex)},
      {"clear of an empty list", [this] { C("Cbo_LibRubSai").Clear(); }, ""},
      {"add item", [this] { C("Cbo_LibRubSai").AddItem("A"); }, Told("Cbo_LibRubSai", W::kList)},
      {"sel start", [this] { C("Cbo_LibRubSai").SetSelStart(2); },
       Told("Cbo_LibRubSai", W::kSelStart)},
      {"focus", [this] { C("Txt_CodRubSai").SetFocus(); }, Told("Txt_CodRubSai", W::kFocus)},
      {"surface enabled", [this] { surface_->SetEnabled(false); },
       Told("Ctr_Talvero", W::kSurfaceEnabled)},
      {"surface pointer", [this] { surface_->SetMousePointer(kPointerHourglass); },
       Told("Ctr_Talvero", W::kSurfacePointer)},
      {"screen pointer", [this] { screen_.SetMousePointer(kPointerHourglass); },
       Told("Screen", W::kScreenPointer)},
  };
  for (const Case& c : cases) {
    told_.clear();
    c.set();
    EXPECT_EQ(c.told, told_) << c.name;
  }
}

TEST_F(ObservedModelTest, TheObserverSeesTheNewValueBeforeTheEventItRaises) {
  Control& label = C("Txt_LibRubSai");
  std::string order;
  const int token =
      screen_.Subscribe([&](const ScreenChange&) { order += "told " + label.Text() + ";"; });
  label.OnChange = [&] { order += "change;"; };
  label.SetText("X");
  screen_.Unsubscribe(token);
  label.OnChange = nullptr;
  EXPECT_EQ("told X;change;", order);
}

TEST_F(ObservedModelTest,
       AHiddenFocusedControlTellsTheFocusGoneAndAnUnsubscribedObserverHearsNothing) {
  C("Txt_CodRubSai").SetFocus();
  told_.clear();
  C("Txt_CodRubSai").SetVisible(false);
  EXPECT_EQ(Told("Txt_CodRubSai", W::kVisible) + "Screen." +
                std::to_string(static_cast<int>(W::kFocus)) + ";",
            told_);
  screen_.Unsubscribe(token_);
  told_.clear();
  C("Txt_CodRubSai").SetVisible(true);
  EXPECT_EQ("", told_);
}

}  // namespace
}  // namespace talvero::screen
