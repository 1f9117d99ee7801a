#include "screen/qt/qt_display.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <algorithm>
#include <vector>

#ifndef TALVERO_SOURCE_DIR
#define TALVERO_SOURCE_DIR "."
#endif

namespace talvero::qt {

namespace {

struct AnswerButton {
  const char* text;
  int answer;
};

// The buttons of each button set, in their order on the box.
std::vector<AnswerButton> ButtonsOf(int style) {
  const AnswerButton ok{"OK", screen::kAnswerOk};
  const AnswerButton cancel{"Annuler", screen::kAnswerCancel};
  const AnswerButton abort{"Abandonner", 3};
  const AnswerButton retry{"Réessayer", 4};
  const AnswerButton ignore{"Ignorer", 5};
  const AnswerButton yes{"Oui", screen::kAnswerYes};
  const AnswerButton no{"Non", screen::kAnswerNo};
  switch (style & 7) {
    case 1:
      return {ok, cancel};
    case 2:
      return {abort, retry, ignore};
    case screen::kStyleYesNoCancel:
      return {yes, no, cancel};
    case screen::kStyleYesNo:
      return {yes, no};
    case 5:
      return {retry, cancel};
    default:
      return {ok};
  }
}

QMessageBox::Icon IconOf(int style) {
  switch (style & 0x70) {
    case 16:
      return QMessageBox::Critical;
    case 32:
      return QMessageBox::Question;
    case 48:
      return QMessageBox::Warning;
    case 64:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

struct QtDisplay::State {
  std::string help_folder;
  std::function<QWidget*()> parent;
  std::function<void(const std::string&)> popup_opener;
  std::function<void()> host_unloaded;
  QTextBrowser* help = nullptr;  // owned here: a window of its own
  QWidget* Parent() const { return parent ? parent() : nullptr; }
};

QtDisplay::QtDisplay(std::string help_folder) : state_(std::make_unique<State>()) {
  state_->help_folder = std::move(help_folder);
}

QtDisplay::~QtDisplay() {
  delete state_->help;
}

void QtDisplay::SetParentWidget(std::function<QWidget*()> parent) {
  state_->parent = std::move(parent);
}

void QtDisplay::SetPopupOpener(std::function<void(const std::string&)> opener) {
  state_->popup_opener = std::move(opener);
}

void QtDisplay::SetHostUnloaded(std::function<void()> callback) {
  state_->host_unloaded = std::move(callback);
}

int QtDisplay::MessageBox(const std::string& text, int style, const std::string& title) {
  QMessageBox box(IconOf(style), Q(title), Q(text), QMessageBox::NoButton, state_->Parent());
  box.setWindowModality(Qt::ApplicationModal);
  std::vector<AnswerButton> answers = ButtonsOf(style);
  std::vector<QPushButton*> buttons;
  for (const AnswerButton& wanted : answers) {
    // One role for all: the buttons stay in the style's order, whatever the desktop's habits.
    QPushButton* button = box.addButton(QString::fromUtf8(wanted.text), QMessageBox::ActionRole);
    button->setAccessibleName(QString::fromUtf8(wanted.text));
    buttons.push_back(button);
  }
  size_t default_index = static_cast<size_t>((style >> 8) & 3);
  box.setDefaultButton(buttons[default_index < buttons.size() ? default_index : 0]);
  // Escape and the close box answer Cancel where there is one, the only button of an OK box.
  QPushButton* escape = buttons.size() == 1 ? buttons[0] : nullptr;
  for (size_t i = 0; i < answers.size(); ++i)
    if (answers[i].answer == screen::kAnswerCancel) escape = buttons[i];
  box.setEscapeButton(escape);
  box.exec();
  for (size_t i = 0; i < buttons.size(); ++i)
    if (box.clickedButton() == buttons[i]) return answers[i].answer;
  // Closed by other means (the application quit): the safest answer the box offers.
  return escape
             ? answers[std::find(buttons.begin(), buttons.end(), escape) - buttons.begin()].answer
             : answers.back().answer;
}

void QtDisplay::Beep() {
  QApplication::beep();
}

void QtDisplay::PopupMenu(const std::string& menu) {
  if (state_->popup_opener) state_->popup_opener(menu);
}

void QtDisplay::HostUnloaded() {
  if (state_->host_unloaded) state_->host_unloaded();
}

void QtDisplay::Error(const std::string& text) {
  MessageBox(text, 16, "Erreur");
}

std::string QtDisplay::FindHelpPage(const std::string& page) const {
  if (page.empty()) return "";
  std::vector<QString> folders;
  if (!state_->help_folder.empty()) folders.push_back(Q(state_->help_folder));
  if (QCoreApplication::instance())
    folders.push_back(QCoreApplication::applicationDirPath() + "/../share/talvero/help");
  folders.push_back(QStringLiteral(TALVERO_SOURCE_DIR "/docs/help"));
  for (const QString& folder : folders) {
    QFileInfo file(QDir(folder), Q(page));
    if (file.isFile()) return QDir::cleanPath(file.absoluteFilePath()).toStdString();
  }
  return "";
}

QTextBrowser* QtDisplay::HelpWindow() const {
  return state_->help;
}

void QtDisplay::Help(const std::string& page, const std::string& mode, const std::string& title,
                     const std::string& extra) {
  if (!state_->help) {
    state_->help = new QTextBrowser;
    state_->help->setObjectName("Aide");
    state_->help->setOpenExternalLinks(true);
    state_->help->resize(720, 560);
  }
  QTextBrowser* help = state_->help;
  help->setWindowTitle(Q(title.empty() ? "Aide" : title));
  std::string path = FindHelpPage(page);
  if (path.empty()) {
    help->setHtml(QStringLiteral("<p>La page d'aide « %1 » est introuvable.</p>").arg(Q(page)));
  } else {
    help->setSource(QUrl::fromLocalFile(Q(path)));
  }
  help->show();
  help->raise();
  help->activateWindow();
}

void QtDisplay::Yield() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace talvero::qt
