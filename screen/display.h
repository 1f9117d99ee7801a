#pragma once
// What the operator sees and hears besides the controls themselves: message boxes, beeps, pop-up
// menus, windows shown and unloaded, errors. A real toolkit draws them; the headless display
// records them in an event log and answers questions from a script.
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace talvero::screen {

// Message box styles and answers.
constexpr int kStyleOk = 0;
constexpr int kStyleYesNoCancel = 3;
constexpr int kStyleYesNo = 4;
constexpr int kIconExclamation = 48;
constexpr int kIconInformation = 64;
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

class Display {
 public:
  virtual ~Display() = default;
  // Modal message box; returns the button pressed.
  virtual int MessageBox(const std::string& text, int style, const std::string& title) = 0;
  virtual void Beep() = 0;
  virtual void PopupMenu(const std::string& menu) = 0;
  virtual void WindowShown(const std::string& window) = 0;
  virtual void WindowUnloaded(const std::string& window) = 0;
  virtual void HostUnloaded() = 0;
  // An error escaped an operator event: reported, the screen stays usable.
  virtual void Error(const std::string& text) = 0;
  virtual void Help(const std::string& page, const std::string& mode, const std::string& title,
                    const std::string& extra) = 0;
  // The logic yields: a real display paints and runs its timers (never the operator's input).
  virtual void Yield() {}
};

// One operator-visible event.
struct LoggedEvent {
  enum class Kind { Message, Beep, Popup, Help, Show, Unload, UnloadHost, Error };
  Kind kind;
  int style = 0;
  std::vector<std::string> texts;  // message: title, text; help: page, mode, title, extra; ...
  std::string Describe() const;
};

// Raised when a question finds no scripted answer: the script cannot go on.
struct UnansweredQuestion {
  std::string text;
};

class HeadlessDisplay : public Display {
 public:
  int MessageBox(const std::string& text, int style, const std::string& title) override;
  void Beep() override;
  void PopupMenu(const std::string& menu) override;
  void WindowShown(const std::string& window) override;
  void WindowUnloaded(const std::string& window) override;
  void HostUnloaded() override;
  void Error(const std::string& text) override;
  void Help(const std::string& page, const std::string& mode, const std::string& title,
            const std::string& extra) override;
  void Yield() override;

  // Answers (6 Yes, 7 No, 2 Cancel, 1 OK) for the next questions; OK-only boxes take none.
  void QueueAnswer(int answer) { answers_.push_back(answer); }
  // Entries not taken yet, oldest first.
  std::deque<LoggedEvent>& Pending() { return log_; }
  // Called with each entry as it is logged (the replay tool's --verbose).
  void SetEcho(bool echo) { echo_ = echo; }
  // Hands every event on to a real display as well, once logged: `before` runs first with the
  // event and the scripted answer of a question (so that whoever drives the real display can
  // answer its box); a real box that answers otherwise is an error.
  void ForwardTo(Display* real, std::function<void(const LoggedEvent&, int answer)> before);

 private:
  void Log(LoggedEvent e);
  // The event logged last, handed on to the real display.
  template <typename Call>
  void Forward(Call call, int answer = 0);
  Display* real_ = nullptr;
  std::function<void(const LoggedEvent&, int)> before_;
  std::deque<int> answers_;
  std::deque<LoggedEvent> log_;
  bool echo_ = false;
};

}  // namespace talvero::screen
