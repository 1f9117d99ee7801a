#pragma once
// ControlWidget: the entry screen of a Ctr_Talvero drawn with Qt Widgets, and its detail window
// as a modal dialog.
//
// The screen model stays the one truth. The widgets mirror it: every change the model tells its
// observers shows at once (under a signal blocker, only where the widget differs). The operator's
// input goes through the operator actions (screen/operator.h) and nothing else: a key is the
// model's key (a KeyPress handler that swallows it keeps it out of the field; typing, Backspace,
// Delete and pasting inside the text keep the caret where the operator expects it), a pick from a
// drop-down list is a pick, a click a click, Tab and a mouse press on a field move the focus as
// the operator's own move, a press on a frame or on the surface is MouseDown, the detail window's
// close box (and Escape) asks the window to unload. The widgets' own change signals are never fed
// back: each model event is raised once, whatever the input path.
//
// The operator's keys and mouse:
// - Tab and Shift+Tab move the focus along the model's focus order (LostFocus, then GotFocus).
// - In a text field or a combo's text: characters, Backspace and Enter are keys (KeyPress first)
//   typed at the caret, replacing the selection; Delete, Ctrl+X and Ctrl+V replace the text (one
//   Change, no KeyPress); Undo, Redo, drops and the context menu are not offered.
// - In a combo: Up and Down pick the previous or next item; F4 or Alt+Down opens the list, where
//   Enter or a click picks; a press on the arrow moves the focus and opens the list.
// - In a list (multiple choice): a click or Space toggles a row, the arrows move among the rows,
//   a double click is the list's double click (by keyboard: the move buttons beside the list).
// - Buttons, check boxes and option buttons: the press moves the focus, the release over the
//   control clicks it; Space clicks the focused one.
// - A press on a frame or on the surface (any button) is its MouseDown; the menu key or
//   Shift+F10 is a right press on the surface, where the help menu pops up.
//
// The control and its screen must outlive the widget. The widget sets the screen's modal loop (the
// detail window runs QDialog::exec) and, when given one, takes the QtDisplay's parent widget and
// pop-up menus.
#include <QWidget>
#include <memory>

#include "component/ctr_talvero.h"
#include "screen/operator.h"

class QDialog;

namespace talvero::qt {

class QtDisplay;

class ControlWidget : public QWidget {
  Q_OBJECT

 public:
  // `display`: the screen's display when it is ours (nullptr: message boxes and menus are the
  // display's own business).
  explicit ControlWidget(Ctr_Talvero& control, QtDisplay* display = nullptr,
                         QWidget* parent = nullptr);
  ~ControlWidget() override;

  Ctr_Talvero& Control() const;
  // The operator actions the widgets relay input to.
  screen::Operator& GetOperator() const;
  // The widget that draws a control of either surface (nullptr for the menus).
  QWidget* WidgetOf(const screen::Control& control) const;
  // The control a widget draws (nullptr for any other widget).
  screen::Control* ControlOf(const QWidget* widget) const;
  // The detail window's dialog (built with the widget, shown while the window is shown modally).
  QDialog* DetailDialog() const;
  // The pop-up menu last opened (nullptr when none is open).
  QWidget* OpenMenu() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  class Binding;
  std::unique_ptr<Binding> binding_;
};

}  // namespace talvero::qt
