#include "screen/display.h"

#include <iostream>
#include <stdexcept>

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

void HeadlessDisplay::ForwardTo(Display* real,
                                std::function<void(const LoggedEvent&, int)> before) {
  real_ = real;
  before_ = std::move(before);
}

template <typename Call>
void HeadlessDisplay::Forward(Call call, int answer) {
  if (!real_) return;
  if (before_) before_(log_.back(), answer);
  call(*real_);
}

int HeadlessDisplay::MessageBox(const std::string& text, int style, const std::string& title) {
  Log({LoggedEvent::Kind::Message, style, {title, text}});
  int answer = kAnswerOk;
  if ((style & 7) != kStyleOk) {
    if (answers_.empty()) throw UnansweredQuestion{text};
    answer = answers_.front();
    answers_.pop_front();
  }
  int shown = answer;
  Forward([&](Display& real) { shown = real.MessageBox(text, style, title); }, answer);
  if (shown != answer)
    throw std::runtime_error("the message box answered " + std::to_string(shown) + " instead of " +
                             std::to_string(answer));
  return answer;
}

void HeadlessDisplay::Beep() {
  Log({LoggedEvent::Kind::Beep, 0, {}});
  Forward([](Display& real) { real.Beep(); });
}

void HeadlessDisplay::PopupMenu(const std::string& menu) {
  Log({LoggedEvent::Kind::Popup, 0, {menu}});
  Forward([&](Display& real) { real.PopupMenu(menu); });
}

void HeadlessDisplay::WindowShown(const std::string& window) {
  Log({LoggedEvent::Kind::Show, 0, {window}});
  Forward([&](Display& real) { real.WindowShown(window); });
}

void HeadlessDisplay::WindowUnloaded(const std::string& window) {
  Log({LoggedEvent::Kind::Unload, 0, {window}});
  Forward([&](Display& real) { real.WindowUnloaded(window); });
}

void HeadlessDisplay::HostUnloaded() {
  Log({LoggedEvent::Kind::UnloadHost, 0, {}});
  Forward([](Display& real) { real.HostUnloaded(); });
}

void HeadlessDisplay::Error(const std::string& text) {
  Log({LoggedEvent::Kind::Error, 0, {text}});
  Forward([&](Display& real) { real.Error(text); });
}

void HeadlessDisplay::Help(const std::string& page, const std::string& mode,
                           const std::string& title, const std::string& extra) {
  Log({LoggedEvent::Kind::Help, 0, {page, mode, title, extra}});
  Forward([&](Display& real) { real.Help(page, mode, title, extra); });
}

void HeadlessDisplay::Yield() {
  if (real_) real_->Yield();
}

}  // namespace talvero::screen
