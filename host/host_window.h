#pragma once
// The main window of talvero-host: the entry-item screen drawn by the Qt binding, in a window of
// its own. The window closes when the control unloads it (Sortir, leaving confirmed). Its close
// box asks the control to leave the same way, through Sortir, so that unsaved changes are offered
// for saving; when Sortir cannot be used (a creation in progress) the close box closes at once.
#include <QMainWindow>
#include <memory>

#include "component/ctr_talvero.h"
#include "screen/qt/control_widget.h"
#include "screen/qt/qt_display.h"

namespace talvero::host {

class HostWindow : public QMainWindow {
  Q_OBJECT

 public:
  // The control, its screen and the display must outlive the window.
  HostWindow(Ctr_Talvero& control, qt::QtDisplay& display, const QString& store_path);
  ~HostWindow() override;

  qt::ControlWidget& Screen() const { return *widget_; }
  // True once the control has asked for the window to be unloaded.
  bool UnloadedByControl() const { return unloaded_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  Ctr_Talvero& control_;
  qt::QtDisplay& display_;
  qt::ControlWidget* widget_;
  bool unloaded_ = false;
};

}  // namespace talvero::host
