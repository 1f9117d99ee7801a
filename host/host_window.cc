#include "host/host_window.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMetaObject>
#include <QStatusBar>

#include "screen/operator.h"

namespace talvero::host {

HostWindow::HostWindow(Ctr_Talvero& control, qt::QtDisplay& display, const QString& store_path)
    : control_(control),
      display_(display),
      widget_(new qt::ControlWidget(control, &display, this)) {
  setWindowTitle(
      QStringLiteral("Les Rubriques de Saisie - %1").arg(QFileInfo(store_path).fileName()));
  setCentralWidget(widget_);
  auto* store = new QLabel(QStringLiteral("Base : %1").arg(store_path));
  store->setAccessibleName(QStringLiteral("Base de paie"));
  statusBar()->addWidget(store);
  // The control unloads its host from inside Sortir's handler: the window closes once that
  // handler has returned, never under it.
  display.SetHostUnloaded([this] {
    unloaded_ = true;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  });
}

HostWindow::~HostWindow() {
  display_.SetHostUnloaded(nullptr);  // the display may outlive the window
}

void HostWindow::closeEvent(QCloseEvent* event) {
  if (unloaded_ || !control_.Cmd_Sortir.CanTakeFocus()) {
    event->accept();
    return;
  }
  // Leaving goes through Sortir. The click returns once its handler has run: the window closes
  // now if leaving was confirmed, and stays otherwise (a refusal, or Annuler to the offer to save).
  widget_->GetOperator().Click(control_.Cmd_Sortir);
  if (unloaded_) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace talvero::host
