#include "replay/qt_driver.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest/QTest>

#include "screen/qt/control_widget.h"
#include "screen/qt/qt_display.h"

namespace talvero::replay {

namespace {

using screen::Kind;

std::optional<int> IndexIn(const std::string& property, const std::string& name) {
  if (property.rfind(name + "(", 0) != 0 || property.back() != ')') return std::nullopt;
  try {
    return std::stoi(property.substr(name.size() + 1));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// The caption of the button that gives each answer.
QString AnswerButton(int answer) {
  switch (answer) {
    case screen::kAnswerCancel:
      return "Annuler";
    case screen::kAnswerYes:
      return "Oui";
    case screen::kAnswerNo:
      return "Non";
    default:
      return "OK";
  }
}

class QtDriver : public Driver {
 public:
  explicit QtDriver(screen::Screen& screen) : screen_(screen), operator_(screen) {}
  ~QtDriver() override { ControlGoing(); }

  void ControlMade(Ctr_Talvero& control, std::function<void(screen::Surface&)> play_modal) override;
  void ControlGoing() override {
    widget_ = nullptr;
    window_.reset();
  }

  void Focus(screen::Control& c) override;
  void Tab() override;
  void Type(const std::string& text) override;
  void Key(int code) override;
  void Paste(const std::string& text) override;
  void Pick(screen::Control& combo, int index) override;
  void Pick(screen::Control& combo, const std::string& item) override;
  void Click(screen::Control& c) override;
  void Select(screen::Control& list, const std::vector<int>& rows) override;
  void DblClick(screen::Control& list) override;
  void MouseDown(screen::Surface& surface, int button) override;
  void MouseDown(screen::Control& frame, int button) override;
  void Close(screen::Surface& window) override;
  void Settle() override {
    operator_.Settle();
    QCoreApplication::processEvents();
  }

  screen::Display* RealDisplay() override { return &display_; }
  void BeforeShowing(const screen::LoggedEvent& event, int answer) override;

  std::optional<Observed> Shown(const screen::Control& c, const std::string& property) override;
  std::optional<Observed> Shown(const screen::Surface& s, const std::string& property) override;
  std::optional<std::vector<std::string>> ShownList(const screen::Control& c) override;
  std::optional<std::string> ShownFocus() override;

 private:
  QWidget* WidgetOf(const screen::Control& c) const {
    return widget_ ? widget_->WidgetOf(c) : nullptr;
  }
  QWidget* Required(const screen::Control& c) const;
  // Where the keyboard goes: the focused widget, or the active surface.
  QWidget* KeyTarget() const;
  void CloseMenu();
  void PressAway(QWidget* w);
  void ClickField(screen::Control& c);
  // Opens the combo's list, then clicks the row `row` finds in it (the opening may refill it).
  void PickRow(screen::Control& combo, const std::function<int()>& row);
  void ClickRow(QListWidget* list, int row, bool twice = false);
  void AnswerBox(const QString& button, int tries);
  static void SendText(QWidget* target, const QString& text);

  screen::Screen& screen_;
  screen::Operator operator_;
  qt::QtDisplay display_;
  std::unique_ptr<QWidget> window_;
  qt::ControlWidget* widget_ = nullptr;
};

void QtDriver::ControlMade(Ctr_Talvero& control, std::function<void(screen::Surface&)> play_modal) {
  window_ = std::make_unique<QWidget>();
  window_->setWindowTitle("Rubriques de saisie");
  auto* layout = new QVBoxLayout(window_.get());
  layout->setContentsMargins(0, 0, 0, 0);
  widget_ = new qt::ControlWidget(control, &display_, window_.get());
  layout->addWidget(widget_);
  window_->show();
  window_->activateWindow();
  if (!QTest::qWaitForWindowActive(window_.get(), 2000))
    (void)QTest::qWaitForWindowExposed(window_.get());
  // The lines that act on the detail window are played inside its own modal loop.
  auto widgets_loop = screen_.modal_loop;
  screen_.modal_loop = [this, widgets_loop, play_modal](screen::Surface& window) {
    QTimer::singleShot(0, widget_, [this, &window, play_modal] {
      QDialog* dialog = widget_->DetailDialog();
      (void)QTest::qWaitForWindowActive(dialog, 2000);
      play_modal(window);
      // The file ended, or failed, with the window open: it goes with the driver's loop.
      if (window.Loaded()) dialog->done(0);
    });
    widgets_loop(window);
  };
}

QWidget* QtDriver::Required(const screen::Control& c) const {
  QWidget* w = WidgetOf(c);
  if (!w) throw screen::OperatorError("no widget draws " + c.Name());
  return w;
}

QWidget* QtDriver::KeyTarget() const {
  if (!widget_) return QApplication::focusWidget();
  QWidget* top = widget_->DetailDialog()->isVisible() ? widget_->DetailDialog() : window_.get();
  // The window's own focus widget: the offscreen platform may leave the application's focus
  // widget behind on a window that a modal one blocks.
  if (QWidget* focused = top->focusWidget()) return focused;
  return top;
}

// Closes a pop-up menu left open, and gives the keyboard back to the screen's window once a
// message box has gone, as the window manager would.
void QtDriver::CloseMenu() {
  if (!widget_) return;
  if (widget_->OpenMenu()) widget_->OpenMenu()->close();
  QWidget* top = widget_->DetailDialog()->isVisible()
                     ? static_cast<QWidget*>(widget_->DetailDialog())
                     : window_.get();
  if (!top->isActiveWindow() && !QApplication::activeModalWidget()) {
    top->activateWindow();
    (void)QTest::qWaitForWindowActive(top, 1000);
  }
}

void QtDriver::SendText(QWidget* target, const QString& text) {
  for (uint code : text.toUcs4()) {
    QString one = QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
    Qt::Key key = code < 128 ? QTest::asciiToKey(static_cast<char>(code)) : Qt::Key_unknown;
    QTest::sendKeyEvent(QTest::Press, target, key, one, Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, target, key, one, Qt::NoModifier);
  }
}

// A press on a button that the operator drags away before releasing: the focus without a click.
void QtDriver::PressAway(QWidget* w) {
  QTest::mousePress(w, Qt::LeftButton, {}, w->rect().center());
  QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(-20, -20));
}

// A click into a text field or a combo's text, past its end: the caret lands at the end.
void QtDriver::ClickField(screen::Control& c) {
  QWidget* w = Required(c);
  QWidget* target = w;
  if (auto* combo = qobject_cast<QComboBox*>(w)) target = combo->lineEdit();
  if (c.GetKind() == Kind::ListBox) {
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(1, 1));  // the list's border, not a row
    return;
  }
  QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(target->width() - 3, target->height() / 2));
}

void QtDriver::Focus(screen::Control& c) {
  if (!c.CanTakeFocus()) throw screen::OperatorError(c.Name() + " cannot take the focus");
  CloseMenu();
  switch (c.GetKind()) {
    case Kind::Button:
    case Kind::CheckBox:
    case Kind::OptionButton:
      PressAway(Required(c));
      return;
    default:
      ClickField(c);
  }
}

void QtDriver::Tab() {
  CloseMenu();
  // With the focus nowhere no widget of the screen takes the key: the focus order decides.
  if (!screen_.Focused()) return operator_.Tab();
  QTest::keyClick(KeyTarget(), Qt::Key_Tab);
}

void QtDriver::Type(const std::string& text) {
  CloseMenu();
  // The caret goes to the end first: typed text is added there.
  for (uint code : QString::fromStdString(text).toUcs4()) {
    CloseMenu();
    QWidget* target = KeyTarget();
    if (qobject_cast<QLineEdit*>(target) || qobject_cast<QComboBox*>(target))
      QTest::keyClick(target, Qt::Key_End);
    SendText(target, QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1));
  }
}

void QtDriver::Key(int code) {
  CloseMenu();
  // No keyboard produces a code outside Unicode: the key action is the only way it arrives.
  if (code < 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    operator_.Key(code);
    return;
  }
  QWidget* target = KeyTarget();
  switch (code) {
    case screen::kKeyBackspace:
      if (qobject_cast<QLineEdit*>(target) || qobject_cast<QComboBox*>(target))
        QTest::keyClick(target, Qt::Key_End);
      QTest::keyClick(target, Qt::Key_Backspace);
      return;
    case screen::kKeyEnter:
      QTest::keyClick(target, Qt::Key_Return);
      return;
    case screen::kKeyTab:
      QTest::keyClick(target, Qt::Key_Tab);
      return;
    default:
      SendText(target, QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1));
  }
}

void QtDriver::Paste(const std::string& text) {
  CloseMenu();
  // The clipboard holds Unicode text only: bytes that are not UTF-8 can reach the screen only
  // through the model's own paste.
  if (!QUtf8StringView(text).isValidUtf8()) {
    operator_.Paste(text);
    return;
  }
  QWidget* target = KeyTarget();
  QGuiApplication::clipboard()->setText(QString::fromStdString(text));
  QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);  // select all
  QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
}

void QtDriver::Pick(screen::Control& combo, int index) {
  PickRow(combo, [&combo, index] { return screen::IndexRow(combo, index); });
}

void QtDriver::Pick(screen::Control& combo, const std::string& item) {
  PickRow(combo, [&combo, &item] { return screen::ItemRow(combo, item); });
}

void QtDriver::PickRow(screen::Control& combo, const std::function<int()>& row) {
  if (!combo.CanTakeFocus()) throw screen::OperatorError(combo.Name() + " cannot take the focus");
  CloseMenu();
  auto* box = static_cast<QComboBox*>(Required(combo));
  // A click on the arrow opens the drop-down list (and moves the focus).
  QStyleOptionComboBox option;
  option.initFrom(box);
  option.editable = true;
  QRect arrow =
      box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, box);
  QTest::mouseClick(box, Qt::LeftButton, {}, arrow.center());
  QAbstractItemView* view = box->view();
  if (!view->isVisible() && !combo.CanTakeFocus()) return;  // the move disabled or hid it
  if (!view->isVisible()) throw screen::OperatorError(combo.Name() + " did not open its list");
  int index = 0;
  try {
    index = row();
  } catch (const screen::OperatorError&) {
    box->hidePopup();
    throw;
  }
  QModelIndex item = view->model()->index(index, 0);
  view->scrollTo(item);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
}

void QtDriver::Click(screen::Control& c) {
  if (c.GetKind() == Kind::Menu) {
    QWidget* open = widget_ ? widget_->OpenMenu() : nullptr;
    auto* menu = qobject_cast<QMenu*>(open);
    QAction* action = menu ? menu->findChild<QAction*>(QString::fromStdString(c.Name())) : nullptr;
    if (menu && action) {
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    } else {
      operator_.Click(c);  // a menu that is not open has nothing to click on
    }
    return;
  }
  CloseMenu();
  if (!c.CanTakeFocus()) return;  // hidden, disabled or not clickable: nothing happens
  QWidget* w = Required(c);
  switch (c.GetKind()) {
    case Kind::Button:
    case Kind::CheckBox:
    case Kind::OptionButton:
      QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
      return;
    default:
      ClickField(c);
  }
}

void QtDriver::ClickRow(QListWidget* list, int row, bool twice) {
  QListWidgetItem* item = list->item(row);
  list->scrollToItem(item);
  QPoint at = list->visualItemRect(item).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  if (twice) QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
}

void QtDriver::Select(screen::Control& list, const std::vector<int>& rows) {
  for (int r : rows)
    if (r < 0 || r >= list.ListCount())
      throw screen::OperatorError(list.Name() + " has no row " + std::to_string(r));
  CloseMenu();
  auto* widget = static_cast<QListWidget*>(Required(list));
  // Each click toggles a row: off the rows not wanted, then on the wanted ones in their order.
  for (int i = 0; i < list.ListCount(); ++i)
    if (list.Selected(i) && std::find(rows.begin(), rows.end(), i) == rows.end())
      ClickRow(widget, i);
  for (int r : rows)
    if (!list.Selected(r)) ClickRow(widget, r);
  // The last row named is the list's current one, as a last click makes it.
  if (!rows.empty() && list.ListIndex() != rows.back()) ClickRow(widget, rows.back(), true);
}

void QtDriver::DblClick(screen::Control& list) {
  CloseMenu();
  if (!list.Usable()) return;
  auto* widget = static_cast<QListWidget*>(Required(list));
  int row = list.ListIndex() >= 0 ? list.ListIndex() : 0;
  if (row >= widget->count()) {
    // An empty list: a double click on its empty area.
    QTest::mouseDClick(widget->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    return;
  }
  widget->scrollToItem(widget->item(row));
  QTest::mouseDClick(widget->viewport(), Qt::LeftButton, {},
                     widget->visualItemRect(widget->item(row)).center());
}

Qt::MouseButton ButtonOf(int code) {
  return code == 2 ? Qt::RightButton : code == 4 ? Qt::MiddleButton : Qt::LeftButton;
}

void QtDriver::MouseDown(screen::Surface& surface, int button) {
  CloseMenu();
  if (!widget_) throw screen::OperatorError("no control: init has not run");
  QWidget* w = surface.IsWindow() ? static_cast<QWidget*>(widget_->DetailDialog())
                                  : static_cast<QWidget*>(widget_);
  if (!w->isVisible()) return;
  QPoint corner(2, 2);  // the surface's own margin, where no control lies
  QTest::mousePress(w, ButtonOf(button), {}, corner);
  if (!widget_->OpenMenu()) QTest::mouseRelease(w, ButtonOf(button), {}, corner);
}

void QtDriver::MouseDown(screen::Control& frame, int button) {
  CloseMenu();
  QWidget* w = Required(frame);
  if (!w->isVisible()) return;
  QPoint corner(w->width() - 3, w->height() - 3);  // inside the border, below the last control
  QTest::mousePress(w, ButtonOf(button), {}, corner);
  if (!widget_->OpenMenu()) QTest::mouseRelease(w, ButtonOf(button), {}, corner);
}

void QtDriver::Close(screen::Surface& window) {
  if (!window.Loaded()) throw screen::OperatorError(window.Name() + " is not open");
  CloseMenu();
  widget_->DetailDialog()->close();  // the close box
}

void QtDriver::BeforeShowing(const screen::LoggedEvent& event, int answer) {
  using K = screen::LoggedEvent::Kind;
  if (event.kind == K::Message) AnswerBox(AnswerButton(answer), 50);
  if (event.kind == K::Error) AnswerBox("OK", 50);
}

// Clicks the button of the message box once it is up.
void QtDriver::AnswerBox(const QString& caption, int tries) {
  QTimer::singleShot(tries == 50 ? 0 : 20, [this, caption, tries] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) {
      if (tries > 0) AnswerBox(caption, tries - 1);
      return;
    }
    for (QAbstractButton* button : box->buttons())
      if (button->text() == caption) {
        QTest::mouseClick(button, Qt::LeftButton);
        return;
      }
    // No such button: the box is left by Escape, and the answer it gives is reported.
    QTest::keyClick(box, Qt::Key_Escape);
    if (box->isVisible()) box->buttons().front()->click();
  });
}

std::optional<Observed> QtDriver::Shown(const screen::Control& c, const std::string& property) {
  QWidget* w = WidgetOf(c);
  if (!w) return std::nullopt;
  if (property == "Enabled") return Observed::Boolean(!w->testAttribute(Qt::WA_ForceDisabled));
  if (property == "Visible") return Observed::Boolean(!w->isHidden());
  auto* combo = qobject_cast<QComboBox*>(w);
  auto* list = qobject_cast<QListWidget*>(w);
  if (property == "Text") {
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return Observed::Text(edit->text().toStdString());
    if (combo) return Observed::Text(combo->currentText().toStdString());
    return std::nullopt;
  }
  if (property == "Caption") {
    if (auto* label = qobject_cast<QLabel*>(w)) return Observed::Text(label->text().toStdString());
    if (auto* frame = qobject_cast<QGroupBox*>(w))
      return Observed::Text(frame->title().toStdString());
    if (auto* button = qobject_cast<QAbstractButton*>(w))
      return Observed::Text(button->text().toStdString());
    return std::nullopt;
  }
  if (property == "Value") {
    auto* button = qobject_cast<QAbstractButton*>(w);
    if (!button) return std::nullopt;
    if (c.GetKind() == Kind::OptionButton) return Observed::Boolean(button->isChecked());
    return Observed::Integer(button->isChecked() ? 1 : 0);
  }
  if (property == "ListIndex") {
    if (combo) return Observed::Integer(combo->currentIndex());
    if (list) return Observed::Integer(list->currentRow());
    return std::nullopt;
  }
  if (property == "ListCount") {
    if (combo) return Observed::Integer(combo->count());
    if (list) return Observed::Integer(list->count());
    return std::nullopt;
  }
  if (std::optional<int> n = IndexIn(property, "List")) {
    if (combo) return Observed::Text(combo->itemText(*n).toStdString());
    if (list && *n >= 0 && *n < list->count())
      return Observed::Text(list->item(*n)->text().toStdString());
    if (list) return Observed::Text("");
    return std::nullopt;
  }
  if (std::optional<int> n = IndexIn(property, "Selected")) {
    if (!list) return std::nullopt;
    return Observed::Boolean(*n >= 0 && *n < list->count() && list->item(*n)->isSelected());
  }
  return std::nullopt;
}

std::optional<Observed> QtDriver::Shown(const screen::Surface& s, const std::string& property) {
  if (!widget_) return std::nullopt;
  QWidget* w = s.IsWindow() ? static_cast<QWidget*>(widget_->DetailDialog())
                            : static_cast<QWidget*>(widget_);
  if (property == "Enabled") return Observed::Boolean(w->isEnabled());
  if (property == "Caption" && s.IsWindow()) return Observed::Text(w->windowTitle().toStdString());
  if (property == "MousePointer") {
    bool busy = w->testAttribute(Qt::WA_SetCursor) && w->cursor().shape() == Qt::WaitCursor;
    return Observed::Integer(busy ? screen::kPointerHourglass : screen::kPointerDefault);
  }
  return std::nullopt;
}

std::optional<std::vector<std::string>> QtDriver::ShownList(const screen::Control& c) {
  QWidget* w = WidgetOf(c);
  std::vector<std::string> items;
  if (auto* combo = qobject_cast<QComboBox*>(w)) {
    for (int i = 0; i < combo->count(); ++i) items.push_back(combo->itemText(i).toStdString());
    return items;
  }
  if (auto* list = qobject_cast<QListWidget*>(w)) {
    for (int i = 0; i < list->count(); ++i) items.push_back(list->item(i)->text().toStdString());
    return items;
  }
  return std::nullopt;
}

std::optional<std::string> QtDriver::ShownFocus() {
  if (!widget_) return std::nullopt;
  QWidget* focused = QApplication::focusWidget();
  screen::Control* c = nullptr;
  for (QWidget* w = focused; w && !c; w = w->parentWidget()) c = widget_->ControlOf(w);
  if (!c) return std::string(focused ? "a widget of no control" : "");
  return c->GetSurface().Name() + "." + c->Name();
}

}  // namespace

DriverFactory QtDriverFactory() {
  return [](screen::Screen& screen) -> std::unique_ptr<Driver> {
    return std::make_unique<QtDriver>(screen);
  };
}

}  // namespace talvero::replay
