#pragma once
// One scenario file played on one store: the headless screen, the scripted display, our own
// rights, tools and help objects (fresh for each file, so that `rights`, `maker` and `specialkey`
// apply to that file only), and the control once `init` has run.
//
// A failing expectation or a line that cannot be played stops the file; what the operator saw is
// kept in the display's event log, and entries left untaken when the file ends fail it.
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "component/ctr_talvero.h"
#include "outside/help_object.h"
#include "outside/rights_object.h"
#include "outside/tools_object.h"
#include "replay/driver.h"
#include "replay/script.h"
#include "replay/values.h"
#include "screen/display.h"
#include "screen/model.h"
#include "screen/operator.h"
#include "store/store.h"

namespace talvero::replay {

struct Outcome {
  enum class Status { kPassed, kFailed, kCannotRun };
  Status status = Status::kPassed;
  int line = 0;
  std::string expected, found;
};

class Scenario {
 public:
  // `out` receives what show and dump print, and the events as they happen when `verbose`.
  // `make_driver` makes the driver of the operator's lines (none: the headless one).
  Scenario(std::shared_ptr<store::Store> database, bool verbose, std::ostream& out,
           const DriverFactory& make_driver = nullptr);
  ~Scenario();
  Scenario(const Scenario&) = delete;
  Scenario& operator=(const Scenario&) = delete;

  // Plays the commands in order; `last_line` (the file's last line) is named when the event log
  // still holds entries at the end.
  Outcome Play(const std::vector<Command>& commands, int last_line);

  // Called with each command just before it runs (the --verbose narration).
  std::function<void(const Command&)> before_line;

  // The control once `init` has run (nullptr before), and its screen: for tests that wire
  // handlers of their own between two Play calls.
  Ctr_Talvero* Control() const { return control_.get(); }
  screen::Screen& GetScreen() { return screen_; }

 private:
  // Thrown by the command being played to stop the file; caught by RunLine, never let out of it,
  // so it never travels through the control's own handlers.
  struct Stop {
    Outcome::Status status;
    std::string expected, found;
  };
  [[noreturn]] static void Fail(const Command& c, const std::string& found);
  [[noreturn]] static void CannotRun(const Command& c, const std::string& why);

  // Runs the following lines while `go_on` holds, the file has lines left and nothing failed. The
  // main loop and the modal loop of a window shown by a handler both read lines through it.
  void PlayWhile(const std::function<bool()>& go_on);
  void PlayModal(screen::Surface& window);
  // The file has no line left: entries of the event log not taken fail it.
  void EndOfFile();
  void RunLine(const Command& c);
  void Execute(const Command& c);
  void SetUp(const Command& c);
  void Act(const Command& c);
  void ExpectEvent(const Command& c);
  void ExpectState(const Command& c);
  void ExpectField(const Command& c);
  void ExpectStore(const Command& c);
  void Inspect(const Command& c);

  Ctr_Talvero& TheControl(const Command& c);
  // A control by name: the open modal window first, then the entry screen; "Frm_Detail." and
  // "Ctr_Talvero." name the surface.
  screen::Control& FindControl(const Command& c, const std::string& name);
  // "Ctr_Talvero" or "Frm_Detail"; nullptr for any other name.
  screen::Surface* FindSurface(const Command& c, const std::string& name);
  Observed Property(const Command& c);
  std::optional<FieldView> AnyField(const Command& c);
  // What the widgets show for the property the command reads, when the driver has widgets.
  std::optional<Observed> Shown(const Command& c);
  void ExpectShown(const Command& c, const std::vector<std::string>& items);
  // The stored text of a query result.
  std::string RunQuery(const std::string& sentence, const std::string& attributes);

  std::shared_ptr<store::Store> database_;
  std::ostream& out_;
  screen::HeadlessDisplay display_;
  screen::Screen screen_{display_};
  std::unique_ptr<Driver> driver_;
  std::shared_ptr<outside::ConfiguredRights> rights_;
  std::shared_ptr<outside::ToolsObject> tools_;
  std::shared_ptr<outside::HelpObject> help_;
  std::unique_ptr<Ctr_Talvero> control_;  // after the screen: destroyed before it

  const std::vector<Command>* commands_ = nullptr;
  size_t next_ = 0;
  int last_line_ = 0;
  bool stopped_ = false;
  bool ended_ = false;  // the lines ran out; the runner may still be closing a modal window
  Outcome outcome_;
};

}  // namespace talvero::replay
