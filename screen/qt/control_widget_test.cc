#include "screen/qt/control_widget.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>
#include <QtTest/QTest>
#include <functional>

#include "screen/qt/qt_display.h"

namespace talvero::qt {
namespace {

// The control as designed (no store, no Init), drawn by a ControlWidget in an active window; the
// events of the controls a test watches are logged in order ("Txt_LibRubSai.Change;...").
class WidgetTest : public ::testing::Test {
 protected:
  WidgetTest() : screen_(display_), control_(std::make_unique<Ctr_Talvero>(screen_)) {
    widget_ = std::make_unique<ControlWidget>(*control_, &display_);
    widget_->show();
    widget_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(widget_.get()));
  }
  ~WidgetTest() override {
    widget_.reset();
    control_.reset();
    Vars() = Variables{};
  }

  screen::Control& C(const char* name) { return control_->Controls().Get(name); }
  QWidget* W(const char* name) { return widget_->WidgetOf(C(name)); }
  QLineEdit* Edit(const char* name) { return qobject_cast<QLineEdit*>(W(name)); }
  void Spy(const char* name) {
    screen::Control& c = C(name);
    std::string who = std::string(name) + ".";
    c.OnChange = [this, who] { log_ += who + "Change;"; };
    c.OnClick = [this, who] { log_ += who + "Click;"; };
    c.OnGotFocus = [this, who] { log_ += who + "GotFocus;"; };
    c.OnLostFocus = [this, who] { log_ += who + "LostFocus;"; };
    c.OnKeyPress = [this, who](int&) { log_ += who + "KeyPress;"; };
  }
  void ClickAtEnd(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() - 3, w->height() / 2));
  }
  void PickFromList(QComboBox* box, int row) {
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = true;
    QRect arrow =
        box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, arrow.center());
    QModelIndex item = box->view()->model()->index(row, 0);
    QTest::mouseClick(box->view()->viewport(), Qt::LeftButton, {},
                      box->view()->visualRect(item).center());
  }

  QtDisplay display_;
  screen::Screen screen_;
  std::unique_ptr<Ctr_Talvero> control_;
  std::unique_ptr<ControlWidget> widget_;
  std::string log_;
};

TEST_F(WidgetTest, EachOperatorActionRaisesItsEventsOnceAndAProgrammaticChangeNoneMore) {
  for (const char* name : {"Txt_LibRubSai", "Cbo_TypMontRubSai", "Opt_Excluse", "Cmd_OK"})
    Spy(name);
  struct Step {
    const char* what;
    std::function<void()> act;
    std::string events;
  };
  const Step steps[] = {
      {"a click into a field", [this] { ClickAtEnd(W("Txt_LibRubSai")); },
       "Txt_LibRubSai.GotFocus;"},
      {"two keys", [this] { QTest::keyClicks(W("Txt_LibRubSai"), "ab"); },
       "Txt_LibRubSai.KeyPress;Txt_LibRubSai.Change;Txt_LibRubSai.KeyPress;Txt_LibRubSai.Change;"},
      {"Tab", [this] { QTest::keyClick(W("Txt_LibRubSai"), Qt::Key_Tab); },
       "Txt_LibRubSai.LostFocus;"},  // to Cmd_Annuler, next in the focus order
      {"a program's text", [this] { C("Txt_LibRubSai").SetText("xyz"); }, "Txt_LibRubSai.Change;"},
      {"a pick", [this] { PickFromList(static_cast<QComboBox*>(W("Cbo_TypMontRubSai")), 1); },
       "Cbo_TypMontRubSai.GotFocus;Cbo_TypMontRubSai.Click;"},
      {"a program's pick", [this] { C("Cbo_TypMontRubSai").SetListIndex(0); },
       "Cbo_TypMontRubSai.Click;"},
      {"Down, then F4, Down and Return in the open list",
       [this] {
         auto* box = static_cast<QComboBox*>(W("Cbo_TypMontRubSai"));
         QTest::keyClick(box, Qt::Key_Down);
         EXPECT_EQ("Fixe", C("Cbo_TypMontRubSai").Text());
         QTest::keyClick(box, Qt::Key_F4);
         QTest::keyClick(box->view(), Qt::Key_Down);
         QTest::keyClick(box->view(), Qt::Key_Return);
       },
       "Cbo_TypMontRubSai.Click;Cbo_TypMontRubSai.Click;"},
      {"an option", [this] { QTest::mouseClick(W("Opt_Excluse"), Qt::LeftButton); },
       "Cbo_TypMontRubSai.LostFocus;Opt_Excluse.GotFocus;Opt_Excluse.Click;"},
      {"a press dragged off a button, then Space",
       [this] {
         QTest::mousePress(W("Cmd_OK"), Qt::LeftButton);
         QTest::mouseRelease(W("Cmd_OK"), Qt::LeftButton, {}, QPoint(-20, -20));
         QTest::keyClick(W("Cmd_OK"), Qt::Key_Space);
       },
       "Opt_Excluse.LostFocus;Cmd_OK.GotFocus;Cmd_OK.KeyPress;Cmd_OK.Click;"},
  };
  for (const Step& step : steps) {
    log_.clear();
    step.act();
    EXPECT_EQ(step.events, log_) << step.what;
  }
  EXPECT_EQ(W("Cmd_OK"), QApplication::focusWidget());
  EXPECT_EQ("xyz", Edit("Txt_LibRubSai")->text().toStdString());
  EXPECT_EQ("Résultat base par taux", C("Cbo_TypMontRubSai").Text());
  EXPECT_EQ("Résultat base par taux",
            static_cast<QComboBox*>(W("Cbo_TypMontRubSai"))->currentText().toStdString());
  EXPECT_FALSE(static_cast<QAbstractButton*>(W("Opt_Incluse"))->isChecked());
}

TEST_F(WidgetTest, TheCaretStaysWhereTheOperatorEditsInsideTheText) {
  Spy("Txt_LibRubSai");
  C("Txt_LibRubSai").OnKeyPress = nullptr;
  ClickAtEnd(W("Txt_LibRubSai"));
  C("Txt_LibRubSai").SetText("ABCD");
  QLineEdit* edit = Edit("Txt_LibRubSai");
  QGuiApplication::clipboard()->setText("été");
  struct Step {
    const char* what;
    int from, length;
    std::function<void()> key;
    const char* text;
    int caret;
  };
  const Step steps[] = {
      {"typing in the middle", 2, 0, [edit] { QTest::keyClick(edit, Qt::Key_X); }, "ABxCD", 3},
      {"replacing a selection", 0, 2, [edit] { QTest::keyClick(edit, Qt::Key_Y); }, "yxCD", 1},
      {"Backspace in the middle", 2, 0, [edit] { QTest::keyClick(edit, Qt::Key_Backspace); }, "yCD",
       1},
      {"Delete in the middle", 1, 0, [edit] { QTest::keyClick(edit, Qt::Key_Delete); }, "yD", 1},
      {"pasting in the middle", 1, 0,
       [edit] { QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier); }, "yétéD", 4},
  };
  for (const Step& step : steps) {
    edit->setSelection(step.from, step.length);
    if (step.length == 0) edit->setCursorPosition(step.from);
    log_.clear();
    step.key();
    EXPECT_EQ(step.text, C("Txt_LibRubSai").Text()) << step.what;
    EXPECT_EQ(step.text, edit->text().toStdString()) << step.what;
    EXPECT_EQ(step.caret, edit->cursorPosition()) << step.what;
    EXPECT_EQ("Txt_LibRubSai.Change;", log_) << step.what;
  }
}

TEST_F(WidgetTest, TheBusyPointerIsSetAndTakenDown) {
  screen_.SetMousePointer(screen::kPointerHourglass);
  ASSERT_NE(nullptr, QGuiApplication::overrideCursor());
  EXPECT_EQ(Qt::WaitCursor, QGuiApplication::overrideCursor()->shape());
  screen_.SetMousePointer(screen::kPointerDefault);
  EXPECT_EQ(nullptr, QGuiApplication::overrideCursor());
  control_->Controls().SetMousePointer(screen::kPointerHourglass);
  EXPECT_EQ(Qt::WaitCursor, widget_->cursor().shape());
  control_->Controls().SetMousePointer(screen::kPointerDefault);
  EXPECT_NE(Qt::WaitCursor, widget_->cursor().shape());
}

TEST_F(WidgetTest, TheDetailWindowsCloseBoxIsRefusedUntilRetourWhichTheKeyboardAloneReaches) {
  screen::Surface& window = control_->DetailWindow();
  window.OnLoad = nullptr;  // its candidates come from a store: two are given here
  Vars().EnrCreation = std::make_shared<DBADynArray>();
  Frm_Detail& detail = control_->Detail();
  detail.Lst_ListeRubSai.AddItem("003 SALAIRE DE BASE");
  detail.Lst_ListeRubSai.AddItem("007 HEURES SUP");
  detail.Opt_Inclure.SetValue(1);
  std::string focus_path;
  bool refused = false;
  QDialog* dialog = widget_->DetailDialog();
  QTimer::singleShot(0, [&] {
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    dialog->close();
    QTest::keyClick(dialog, Qt::Key_Escape);
    refused = dialog->isVisible() && window.Loaded();
    // Keys go to the window's focus widget (the offscreen platform may leave the application's
    // focus widget behind on a blocked window).
    auto key = [&](Qt::Key k) {
      QTest::keyClick(dialog->focusWidget(), k);
      focus_path += screen_.Focused() ? screen_.Focused()->Name() + ";" : "none;";
    };
    // Opt_Inclure has the focus: on to the left list, the second row, Space selects it; on to
    // the move button, Space moves the row; Space on Retour.
    for (Qt::Key k : {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Down, Qt::Key_Down, Qt::Key_Space,
                      Qt::Key_Tab, Qt::Key_Space, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab})
      key(k);
    QTest::keyClick(dialog->focusWidget(), Qt::Key_Space);
    if (dialog->isVisible()) dialog->done(0);  // Retour failed: the test goes on to report it
  });
  screen_.ShowModal(window);  // a message box left open would hang it until the time-out
  EXPECT_TRUE(refused);
  EXPECT_EQ(
      "Opt_Retire;Lst_ListeRubSai;Lst_ListeRubSai;Lst_ListeRubSai;Lst_ListeRubSai;Cmd_Gauche;"
      "Cmd_Gauche;Cmd_Droite;Lst_LibRubSai;Cmd_Retour;",
      focus_path);
  EXPECT_FALSE(window.Loaded());
  EXPECT_EQ("I", Vars().EnrCreation->Get(14));
  EXPECT_EQ("007", Vars().EnrCreation->Get(15));
}

// The display on its own: one box per style, its icon, buttons, default button and answers.
TEST(QtDisplayTest, EachStyleShowsItsButtonsInFrenchAndGivesTheirAnswers) {
  struct Case {
    int style;
    QMessageBox::Icon icon;
    std::vector<const char*> buttons;
    const char* default_button;
    std::vector<int> answers;
  };
  const Case cases[] = {
      {48, QMessageBox::Warning, {"OK"}, "OK", {1}},
      {64, QMessageBox::Information, {"OK"}, "OK", {1}},
      {16, QMessageBox::Critical, {"OK"}, "OK", {1}},
      {52, QMessageBox::Warning, {"Oui", "Non"}, "Oui", {6, 7}},
      {51, QMessageBox::Warning, {"Oui", "Non", "Annuler"}, "Oui", {6, 7, 2}},
      {32 + 4 + 256, QMessageBox::Question, {"Oui", "Non"}, "Non", {6, 7}},
      {1, QMessageBox::NoIcon, {"OK", "Annuler"}, "OK", {1, 2}},
  };
  QtDisplay display;
  for (const Case& c : cases) {
    for (size_t pressed = 0; pressed < c.buttons.size(); ++pressed) {
      std::vector<std::string> seen;
      std::string default_seen;
      QMessageBox::Icon icon = QMessageBox::NoIcon;
      QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, box);
        icon = box->icon();
        QAbstractButton* target = nullptr;
        QList<QAbstractButton*> buttons = box->buttons();
        std::sort(buttons.begin(), buttons.end(), [box](QAbstractButton* a, QAbstractButton* b) {
          return a->mapTo(box, QPoint()).x() < b->mapTo(box, QPoint()).x();
        });
        for (QAbstractButton* b : buttons) {  // left to right
          seen.push_back(b->text().toStdString());
          if (b->text() == QString::fromUtf8(c.buttons[pressed])) target = b;
        }
        if (box->defaultButton()) default_seen = box->defaultButton()->text().toStdString();
        ASSERT_NE(nullptr, target);
        QTest::mouseClick(target, Qt::LeftButton);
      });
      int answer = display.MessageBox("Texte", c.style, "Titre");
      EXPECT_EQ(c.answers[pressed], answer) << c.style << " " << c.buttons[pressed];
      EXPECT_EQ(c.icon, icon) << c.style;
      EXPECT_EQ(std::vector<std::string>(c.buttons.begin(), c.buttons.end()), seen) << c.style;
      EXPECT_EQ(c.default_button, default_seen) << c.style;
    }
  }
}

}  // namespace
}  // namespace talvero::qt

int main(int argc, char** argv) {
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg && message.startsWith("This plugin does not support")) return;
    fprintf(stderr, "%s\n", qPrintable(message));
  });
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
