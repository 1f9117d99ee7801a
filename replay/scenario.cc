#include "replay/scenario.h"

#include <algorithm>

#include "gateways/tools.h"
#include "replay/notation.h"

namespace talvero::replay {

namespace {

// The screen whose access level `rights N` sets.
constexpr const char* kRightsScreen = "RUBRIQUEDESAISIE";

std::string ErrorText(const std::exception& e) {
  if (const auto* component = dynamic_cast<const ComponentError*>(&e))
    return "Erreur " + std::to_string(component->Number()) + " : " + e.what();
  return std::string("Erreur : ") + e.what();
}

}  // namespace

Scenario::Scenario(std::shared_ptr<store::Store> database, bool verbose, std::ostream& out,
                   const DriverFactory& make_driver)
    : database_(std::move(database)),
      out_(out),
      rights_(std::make_shared<outside::ConfiguredRights>()),
      tools_(std::make_shared<outside::ToolsObject>()),
      help_(std::make_shared<outside::HelpObject>()) {
  // Each file is a fresh host: no global of an earlier file may leak into it.
  Vars() = Variables{};
  display_.SetEcho(verbose);
  help_->SetSink([this](const std::string& page, const std::string& mode, const std::string& title,
                        const std::string& extra) { display_.Help(page, mode, title, extra); });
  InstallOutils(tools_);
  InstallAide(help_);
  driver_ = make_driver ? make_driver(screen_) : std::make_unique<HeadlessDriver>(screen_);
  if (screen::Display* real = driver_->RealDisplay())
    display_.ForwardTo(real, [this](const screen::LoggedEvent& event, int answer) {
      driver_->BeforeShowing(event, answer);
    });
  // A handler that shows a window modally waits while the following lines act on the window.
  screen_.modal_loop = [this](screen::Surface& window) { PlayModal(window); };
}

void Scenario::PlayModal(screen::Surface& window) {
  PlayWhile([this, &window] {
    driver_->Settle();
    return window.Loaded();
  });
}

Scenario::~Scenario() {
  if (control_) driver_->ControlGoing();
  control_.reset();
  driver_.reset();
  display_.ForwardTo(nullptr, nullptr);
  InstallOutils(nullptr);
  InstallAide(nullptr);
  Vars() = Variables{};
}

Outcome Scenario::Play(const std::vector<Command>& commands, int last_line) {
  commands_ = &commands;
  next_ = 0;
  last_line_ = last_line;
  ended_ = false;
  PlayWhile([] { return true; });
  return outcome_;
}

void Scenario::PlayWhile(const std::function<bool()>& go_on) {
  while (!stopped_ && next_ < commands_->size() && go_on()) RunLine((*commands_)[next_++]);
  if (!stopped_ && !ended_ && next_ >= commands_->size()) EndOfFile();
}

void Scenario::EndOfFile() {
  // The lines may run out inside a modal window: what its closing by the runner, and the handler
  // that showed it, do afterwards is no part of the file.
  ended_ = true;
  if (!display_.Pending().empty()) {
    stopped_ = true;
    outcome_ = {Outcome::Status::kFailed, last_line_, "no more events",
                "unexpected: " + display_.Pending().front().Describe()};
  }
}

void Scenario::Fail(const Command& c, const std::string& found) {
  // The expectation as written, without the word "expect".
  std::string expected = c.source.compare(0, 7, "expect ") == 0 ? c.source.substr(7) : c.source;
  throw Stop{Outcome::Status::kFailed, expected, found};
}

void Scenario::CannotRun(const Command& c, const std::string& why) {
  throw Stop{Outcome::Status::kCannotRun, c.source, why};
}

void Scenario::RunLine(const Command& c) {
  if (before_line) before_line(c);
  Stop stop{Outcome::Status::kCannotRun, "", ""};
  try {
    Execute(c);
    driver_->Settle();
    return;
  } catch (const Stop& s) {
    stop = s;
  } catch (const screen::UnansweredQuestion& q) {
    stop = {Outcome::Status::kCannotRun, c.source, "unanswered question: " + q.text};
  } catch (const std::exception& e) {
    // An operator action that cannot be played, a set-up command the store refused.
    stop = {Outcome::Status::kCannotRun, c.source, e.what()};
  }
  // A handler resumed after a failure inside its modal window may fail again: the first one
  // is the one to report.
  if (stopped_ || ended_) return;
  stopped_ = true;
  outcome_ = {stop.status, c.line, stop.expected, stop.found};
}

void Scenario::Execute(const Command& c) {
  switch (c.verb) {
    case Verb::kDbText:
    case Verb::kDbAttributes:
    case Verb::kDbDelete:
    case Verb::kRights:
    case Verb::kMaker:
    case Verb::kSpecialKey:
    case Verb::kInit:
    case Verb::kTerminate:
      return SetUp(c);
    case Verb::kExpectMessage:
    case Verb::kExpectBeep:
    case Verb::kExpectPopup:
    case Verb::kExpectHelp:
    case Verb::kExpectShow:
    case Verb::kExpectUnload:
    case Verb::kExpectUnloadHost:
    case Verb::kExpectError:
    case Verb::kExpectQuiet:
      return ExpectEvent(c);
    case Verb::kExpectProperty:
    case Verb::kExpectList:
    case Verb::kExpectFocus:
      return ExpectState(c);
    case Verb::kExpectField:
      return ExpectField(c);
    case Verb::kExpectRecord:
    case Verb::kExpectAttribute:
    case Verb::kExpectNoRecord:
    case Verb::kExpectQuery:
      return ExpectStore(c);
    case Verb::kShowControl:
    case Verb::kShowField:
    case Verb::kDump:
    case Verb::kDumpQuery:
      return Inspect(c);
    default:
      return Act(c);
  }
}

void Scenario::SetUp(const Command& c) {
  switch (c.verb) {
    case Verb::kDbText:
      database_->PutRecord(c.target, c.id, StoredFromNotation(c.texts[0]));
      return;
    case Verb::kDbAttributes: {
      DBADynArray record;
      for (const auto& [attribute, text] : c.attributes)
        record.Set(attribute, StoredFromNotation(text));
      database_->PutRecord(c.target, c.id, record.Get());
      return;
    }
    case Verb::kDbDelete:
      database_->DeleteRecord(c.target, c.id);
      return;
    case Verb::kRights:
      rights_->SetLevel(kRightsScreen, static_cast<int32_t>(c.numbers[0]));
      return;
    case Verb::kMaker:
      tools_->SetMaker(c.flag);
      return;
    case Verb::kSpecialKey:
      tools_->SetSpecialKey(c.texts[0]);
      return;
    case Verb::kInit:
      if (control_) CannotRun(c, "the control already exists");
      control_ = std::make_unique<Ctr_Talvero>(screen_);
      driver_->ControlMade(*control_, [this](screen::Surface& window) { PlayModal(window); });
      control_->TheDatabase(database_);
      {
        // As the host does: the store's journal names the operator of the client it hands in.
        auto client = std::make_shared<DBAClient>();
        database_->SetOperator(client->Name());
        control_->TheClient(client);
      }
      control_->DroitsUtilisateur(rights_);
      // The host shows what escapes Init the way the screen shows what escapes a handler.
      try {
        control_->Init();
      } catch (const screen::UnansweredQuestion&) {
        throw;
      } catch (const std::exception& e) {
        display_.Error(ErrorText(e));
      }
      return;
    default:  // kTerminate
      if (!control_) CannotRun(c, "no control to terminate");
      if (screen_.TopModal()) CannotRun(c, screen_.TopModal()->Name() + " is still open");
      driver_->ControlGoing();
      control_.reset();
      return;
  }
}

void Scenario::Act(const Command& c) {
  try {
    switch (c.verb) {
      case Verb::kFocus:
        return driver_->Focus(FindControl(c, c.target));
      case Verb::kTab:
        return driver_->Tab();
      case Verb::kType:
        return driver_->Type(c.texts[0]);
      case Verb::kKey:
        return driver_->Key(static_cast<int>(c.numbers[0]));
      case Verb::kPaste:
        return driver_->Paste(c.texts[0]);
      case Verb::kPickIndex:
        return driver_->Pick(FindControl(c, c.target), static_cast<int>(c.numbers[0]));
      case Verb::kPickItem:
        return driver_->Pick(FindControl(c, c.target), c.texts[0]);
      case Verb::kClick:
        return driver_->Click(FindControl(c, c.target));
      case Verb::kSelect:
        return driver_->Select(FindControl(c, c.target),
                               std::vector<int>(c.numbers.begin(), c.numbers.end()));
      case Verb::kDblClick:
        return driver_->DblClick(FindControl(c, c.target));
      case Verb::kMouseDown:
        if (screen::Surface* surface = FindSurface(c, c.target))
          return driver_->MouseDown(*surface, static_cast<int>(c.numbers[0]));
        return driver_->MouseDown(FindControl(c, c.target), static_cast<int>(c.numbers[0]));
      case Verb::kClose:
        if (screen::Surface* surface = FindSurface(c, c.target); surface && surface->IsWindow())
          return driver_->Close(*surface);
        CannotRun(c, c.target + " is not a window");
      default:  // kAnswer
        for (long answer : c.numbers) display_.QueueAnswer(static_cast<int>(answer));
        return;
    }
  } catch (const screen::OperatorError&) {
    throw;
  } catch (const std::exception& e) {
    // The event boundary should have caught it; the operator would still see it.
    display_.Error(ErrorText(e));
  }
}

Ctr_Talvero& Scenario::TheControl(const Command& c) {
  if (!control_) CannotRun(c, "no control: init has not run");
  return *control_;
}

screen::Surface* Scenario::FindSurface(const Command& c, const std::string& name) {
  if (name == "Ctr_Talvero") return &TheControl(c).Controls();
  if (name == "Frm_Detail") return &TheControl(c).DetailWindow();
  return nullptr;
}

screen::Control& Scenario::FindControl(const Command& c, const std::string& name) {
  Ctr_Talvero& control = TheControl(c);
  screen::Control* found = nullptr;
  size_t dot = name.find('.');
  if (dot != std::string::npos) {
    screen::Surface* surface = FindSurface(c, name.substr(0, dot));
    if (surface) found = surface->Find(name.substr(dot + 1));
  } else {
    if (screen::Surface* modal = screen_.TopModal()) found = modal->Find(name);
    if (!found) found = control.Controls().Find(name);
  }
  if (!found) CannotRun(c, "unknown control " + name);
  return *found;
}

}  // namespace talvero::replay
