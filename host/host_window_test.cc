// The host window over the demo store: it closes when the control unloads it, and its close box
// leaves through Sortir.
#include "host/host_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTextBrowser>

#include "host/session.h"
#include "host/test_support.h"
#include "screen/model.h"
#include "screen/operator.h"

namespace talvero::host {
namespace {

class HostWindowTest : public ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    session_ = std::make_unique<HostSession>(HostOptions{}, screen_);
    window_ = std::make_unique<HostWindow>(session_->Create(), display_, "demo.db");
    window_->show();
    session_->Init();
    QApplication::processEvents();
  }
  void TearDown() override {
    window_.reset();
    session_.reset();
  }
  Ctr_Talvero& Control() { return *session_->Control(); }

  static inline int argc_ = 1;
  static inline char* argv_[] = {const_cast<char*>("host_window_test"), nullptr};
  QApplication application_{argc_, argv_};
  qt::QtDisplay display_;
  screen::Screen screen_{display_};
  std::unique_ptr<HostSession> session_;
  std::unique_ptr<HostWindow> window_;
};

TEST_F(HostWindowTest, SortirClosesTheWindowOnceItsHandlerHasReturned) {
  EXPECT_GT(Control().Cbo_LibRubSai.ListCount(), 50);
  window_->Screen().GetOperator().Click(Control().Cmd_Sortir);
  EXPECT_TRUE(window_->UnloadedByControl());
  EXPECT_TRUE(Control().W_Sortir);
  QApplication::processEvents();
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(HostWindowTest, TheCloseBoxLeavesThroughSortir) {
  window_->close();
  EXPECT_TRUE(Control().W_Sortir);
  QApplication::processEvents();
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(HostWindowTest, TheCloseBoxClosesAtOnceDuringACreation) {
  window_->Screen().GetOperator().Click(Control().Cmd_Ajouter);
  ASSERT_FALSE(Control().Cmd_Sortir.CanTakeFocus());
  window_->close();
  EXPECT_FALSE(Control().W_Sortir);
  EXPECT_FALSE(window_->isVisible());
}

// The help menu shows the operators' page shipped with the program, under the screen's title.
TEST_F(HostWindowTest, TheHelpMenuShowsTheShippedHelpPage) {
  screen::Operator& op = window_->Screen().GetOperator();
  op.MouseDown(Control().Controls(), 2);
  op.Click(Control().Mnu_Sommaire);
  QTextBrowser* help = display_.HelpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->windowTitle(), QStringLiteral("Les Rubriques de Saisie - Consultation"));
  EXPECT_TRUE(help->source().toLocalFile().endsWith(QStringLiteral("/RubriqueSaisie.htm")));
  EXPECT_TRUE(help->toPlainText().contains(QStringLiteral("Les codes 800 à 999")));
}

}  // namespace
}  // namespace talvero::host
