#pragma once
// QtDisplay: the screen services on a real display (Qt Widgets). Message boxes are QMessageBoxes
// with the icon, the French buttons and the default button of their style; the help page shows in
// a help window; the pop-up menu opens at the mouse; an error that escaped an operator event is
// reported in a message box; the host window is closed through a callback the host sets.
//
// The display knows nothing of the controls: the widget that draws the screen (ControlWidget) tells
// it over which widget to show its boxes and how to open a pop-up menu of the model.
//
// Help pages are looked up, by the page name the help object hands in ("RubriqueSaisie.htm"), in
// the help folder given to the constructor, then in ../share/talvero/help/ next to the executable,
// then in the source tree's docs/help/.
#include <functional>
#include <memory>
#include <string>

#include "screen/display.h"

class QTextBrowser;
class QWidget;

namespace talvero::qt {

class QtDisplay : public screen::Display {
 public:
  explicit QtDisplay(std::string help_folder = {});
  ~QtDisplay() override;
  QtDisplay(const QtDisplay&) = delete;
  QtDisplay& operator=(const QtDisplay&) = delete;

  // The widget message boxes and menus are shown over (nullptr: none).
  void SetParentWidget(std::function<QWidget*()> parent);
  // Opens the pop-up menu of the model named `menu` at the mouse (set by ControlWidget).
  void SetPopupOpener(std::function<void(const std::string& menu)> opener);
  // Called when the control unloads the host window: the host closes its window.
  void SetHostUnloaded(std::function<void()> callback);

  // screen::Display.
  // Styles: buttons 0 OK, 1 OK/Cancel, 3 Yes/No/Cancel, 4 Yes/No; icons 16 stop, 32 question,
  // 48 exclamation, 64 information; 256 makes the second button the default. Returns 1 OK,
  // 2 Cancel, 6 Yes or 7 No; closing a box by its close box or Escape answers Cancel where the
  // box has it, its only button otherwise.
  int MessageBox(const std::string& text, int style, const std::string& title) override;
  void Beep() override;
  void PopupMenu(const std::string& menu) override;
  void WindowShown(const std::string& window) override {}
  void WindowUnloaded(const std::string& window) override {}
  void HostUnloaded() override;
  void Error(const std::string& text) override;
  void Help(const std::string& page, const std::string& mode, const std::string& title,
            const std::string& extra) override;
  // Lets paint and timer events run without taking the operator's input.
  void Yield() override;

  // The file a help page name stands for; empty when no folder holds it.
  std::string FindHelpPage(const std::string& page) const;
  // The help window, once help has been shown (nullptr before).
  QTextBrowser* HelpWindow() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace talvero::qt
