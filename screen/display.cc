#include "screen/display.h"

#include <iostream>

namespace talvero::screen {

namespace {

std::string Quoted(const std::string& s) {
  return "\"" + s + "\"";
}

}  // namespace

std::string LoggedEvent::Describe() const {
  auto text = [this](size_t i) { return i < texts.size() ? texts[i] : std::string(); };
  switch (kind) {
    case Kind::Message:
      return "message " + std::to_string(style) + " " + Quoted(text(0)) + " " + Quoted(text(1));
    case Kind::Beep:
      return "beep";
    case Kind::Popup:
      return "popup " + text(0);
    case Kind::Help:
      return "help " + Quoted(text(0)) + " " + Quoted(text(1)) + " " + Quoted(text(2)) + " " +
             Quoted(text(3));
    case Kind::Show:
      return "show " + text(0);
    case Kind::Unload:
      return "unload " + text(0);
    case Kind::UnloadHost:
      return "unload host";
    case Kind::Error:
      return "error " + Quoted(text(0));
  }
  return "?";
}

void HeadlessDisplay::Log(LoggedEvent e) {
  if (echo_) std::cout << "  | " << e.Describe() << "\n";
  log_.push_back(std::move(e));
}

int HeadlessDisplay::MessageBox(const std::string& text, int style, const std::string& title) {
  Log({LoggedEvent::Kind::Message, style, {title, text}});
  int buttons = style & 7;
  if (buttons == kStyleOk) return kAnswerOk;
  if (answers_.empty()) throw UnansweredQuestion{text};
  int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void HeadlessDisplay::Beep() {
  Log({LoggedEvent::Kind::Beep, 0, {}});
}

void HeadlessDisplay::PopupMenu(const std::string& menu) {
  Log({LoggedEvent::Kind::Popup, 0, {menu}});
}

void HeadlessDisplay::WindowShown(const std::string& window) {
  Log({LoggedEvent::Kind::Show, 0, {window}});
}

void HeadlessDisplay::WindowUnloaded(const std::string& window) {
  Log({LoggedEvent::Kind::Unload, 0, {window}});
}

void HeadlessDisplay::HostUnloaded() {
  Log({LoggedEvent::Kind::UnloadHost, 0, {}});
}

void HeadlessDisplay::Error(const std::string& text) {
  Log({LoggedEvent::Kind::Error, 0, {text}});
}

void HeadlessDisplay::Help(const std::string& page, const std::string& mode,
                           const std::string& title, const std::string& extra) {
  Log({LoggedEvent::Kind::Help, 0, {page, mode, title, extra}});
}

}  // namespace talvero::screen
