#pragma once
// How a scenario's operator lines reach the screen. The headless driver calls the operator actions
// directly; a toolkit's driver turns each line into real input on its widgets (key presses, mouse
// clicks, a pick in a drop-down list) and lets the widgets relay it, and can say what its widgets
// show so that expectations read the widget as well as the model.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/ctr_talvero.h"
#include "replay/values.h"
#include "screen/display.h"
#include "screen/model.h"
#include "screen/operator.h"

namespace talvero::replay {

class Driver {
 public:
  virtual ~Driver() = default;

  // The control was made by `init` (before its Init runs) / is about to be destroyed.
  // `play_modal` plays the scenario's lines while the window stays shown modally.
  virtual void ControlMade(Ctr_Talvero& control, std::function<void(screen::Surface&)> play_modal) {
  }
  virtual void ControlGoing() {}

  // The operator's actions, as in screen/operator.h. Throw screen::OperatorError when the line
  // cannot be played at all.
  virtual void Focus(screen::Control& control) = 0;
  virtual void Tab() = 0;
  virtual void Type(const std::string& text) = 0;
  virtual void Key(int code) = 0;
  virtual void Paste(const std::string& text) = 0;
  virtual void Pick(screen::Control& combo, int index) = 0;
  virtual void Pick(screen::Control& combo, const std::string& item) = 0;
  virtual void Click(screen::Control& control) = 0;
  virtual void Select(screen::Control& list, const std::vector<int>& rows) = 0;
  virtual void DblClick(screen::Control& list) = 0;
  virtual void MouseDown(screen::Surface& surface, int button) = 0;
  virtual void MouseDown(screen::Control& frame, int button) = 0;
  virtual void Close(screen::Surface& window) = 0;
  // Lets every pending event run.
  virtual void Settle() = 0;

  // The display the scripted display hands every event on to, to be shown for real; `before`
  // runs just before with the event and, for a question, the scripted answer, so that the driver
  // can answer the real box. nullptr: nothing is shown.
  virtual screen::Display* RealDisplay() { return nullptr; }
  virtual void BeforeShowing(const screen::LoggedEvent& event, int answer) {}

  // What the widget drawing `control` shows for a property, as the model would report it;
  // nullopt when there is no widget or it shows no such thing.
  virtual std::optional<Observed> Shown(const screen::Control& control,
                                        const std::string& property) {
    return std::nullopt;
  }
  virtual std::optional<Observed> Shown(const screen::Surface& surface,
                                        const std::string& property) {
    return std::nullopt;
  }
  virtual std::optional<std::vector<std::string>> ShownList(const screen::Control& control) {
    return std::nullopt;
  }
  // Where the widgets have the keyboard focus ("Surface.Control", "" for no control); nullopt when
  // there are no widgets.
  virtual std::optional<std::string> ShownFocus() { return std::nullopt; }
};

// The actions straight on the model.
class HeadlessDriver : public Driver {
 public:
  explicit HeadlessDriver(screen::Screen& screen) : operator_(screen) {}
  void Focus(screen::Control& c) override { operator_.Focus(c); }
  void Tab() override { operator_.Tab(); }
  void Type(const std::string& text) override { operator_.Type(text); }
  void Key(int code) override { operator_.Key(code); }
  void Paste(const std::string& text) override { operator_.Paste(text); }
  void Pick(screen::Control& combo, int index) override { operator_.Pick(combo, index); }
  void Pick(screen::Control& combo, const std::string& item) override {
    operator_.Pick(combo, item);
  }
  void Click(screen::Control& c) override { operator_.Click(c); }
  void Select(screen::Control& list, const std::vector<int>& rows) override {
    operator_.Select(list, rows);
  }
  void DblClick(screen::Control& list) override { operator_.DblClick(list); }
  void MouseDown(screen::Surface& s, int button) override { operator_.MouseDown(s, button); }
  void MouseDown(screen::Control& frame, int button) override {
    operator_.MouseDown(frame, button);
  }
  void Close(screen::Surface& window) override { operator_.Close(window); }
  void Settle() override { operator_.Settle(); }

 private:
  screen::Operator operator_;
};

// Makes the driver of one scenario file, on that file's screen.
using DriverFactory = std::function<std::unique_ptr<Driver>(screen::Screen& screen)>;

}  // namespace talvero::replay
