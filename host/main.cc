// talvero-host [--db PATH] [--level N] [--maker] [--special-key C] [--clsid [GUID]]
// The entry-item screen in a window of its own, on a payroll store (the demo store by default).
// Exit status 0 when the window was closed, 1 when the store or the control could not be opened,
// 2 for a bad command line.
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <iostream>
#include <memory>

#include "host/host_window.h"
#include "host/options.h"
#include "host/session.h"
#include "screen/model.h"
#include "screen/qt/qt_display.h"

namespace {

int Fail(const std::string& what) {
  std::cerr << "talvero-host: " << what << "\n";
  // Started from a desktop menu, the operator sees no terminal; offscreen, nobody could answer.
  if (QGuiApplication::platformName() != QLatin1String("offscreen"))
    QMessageBox::critical(nullptr, QStringLiteral("Les Rubriques de Saisie"),
                          QString::fromStdString(what));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  // Read before Qt starts, so that --help and a bad option need no display.
  talvero::host::CommandLine line =
      talvero::host::ReadCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!line.options) {
    std::cout << line.output;
    std::cerr << line.error;
    return line.exit_status;
  }
  int qt_argc = 1;
  QApplication application(qt_argc, argv);
  talvero::qt::QtDisplay display;
  talvero::screen::Screen screen(display);
  std::unique_ptr<talvero::host::HostSession> session;
  std::unique_ptr<talvero::host::HostWindow> window;
  try {
    session = std::make_unique<talvero::host::HostSession>(*line.options, screen);
    if (session->BuiltStore())
      std::cerr << "talvero-host: store built in " << session->StorePath() << "\n";
    talvero::Ctr_Talvero& control = session->Create();
    window = std::make_unique<talvero::host::HostWindow>(
        control, display, QString::fromStdString(session->StorePath()));
    window->show();
    session->Init();
  } catch (const std::exception& e) {
    window.reset();
    return Fail(e.what());
  }
  int status = application.exec();
  window.reset();  // the widgets go before the control they draw
  session.reset();
  return status;
}
