// The expect, show and dump commands of a scenario.
#include "replay/notation.h"
#include "replay/scenario.h"

namespace talvero::replay {

namespace {

using screen::LoggedEvent;

// The menu an `expect popup` names, without the surface a prefix may name: the pop-up is logged by
// the menu's own name.
std::string MenuName(const std::string& target) {
  for (const std::string prefix : {"Ctr_Talvero.", "Frm_Detail."})
    if (target.starts_with(prefix)) return target.substr(prefix.size());
  return target;
}

bool SameEvent(const Command& c, const LoggedEvent& e) {
  using K = LoggedEvent::Kind;
  auto text = [&e](size_t i) { return i < e.texts.size() ? e.texts[i] : std::string(); };
  switch (c.verb) {
    case Verb::kExpectMessage:
      if (e.kind != K::Message) return false;
      if (c.numbers.empty()) return text(1) == c.texts[0];
      return e.style == c.numbers[0] && text(0) == c.texts[0] && text(1) == c.texts[1];
    case Verb::kExpectBeep:
      return e.kind == K::Beep;
    case Verb::kExpectPopup:
      return e.kind == K::Popup && text(0) == MenuName(c.target);
    case Verb::kExpectHelp:
      return e.kind == K::Help && e.texts == c.texts;
    case Verb::kExpectShow:
      return e.kind == K::Show && text(0) == c.target;
    case Verb::kExpectUnload:
      return e.kind == K::Unload && text(0) == c.target;
    case Verb::kExpectUnloadHost:
      return e.kind == K::UnloadHost;
    default:  // kExpectError
      return e.kind == K::Error && text(0).find(c.texts[0]) != std::string::npos;
  }
}

std::string WrittenList(const std::vector<std::string>& items) {
  if (items.empty()) return "(empty list)";
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : " ") + Quoted(item);
  return out;
}

// The file a query sentence names: its second word.
std::string FileOfSentence(const std::string& sentence) {
  size_t start = sentence.find_first_not_of(' ');
  start = sentence.find(' ', start == std::string::npos ? sentence.size() : start);
  start = sentence.find_first_not_of(' ', start == std::string::npos ? sentence.size() : start);
  if (start == std::string::npos) return "";
  size_t end = sentence.find(' ', start);
  return sentence.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

void Scenario::ExpectEvent(const Command& c) {
  std::deque<LoggedEvent>& log = display_.Pending();
  if (c.verb == Verb::kExpectQuiet) {
    if (!log.empty()) Fail(c, "unexpected: " + log.front().Describe());
    return;
  }
  if (log.empty()) Fail(c, "nothing");
  LoggedEvent event = log.front();
  log.pop_front();
  if (!SameEvent(c, event)) Fail(c, event.Describe());
}

// A field of the control, or a global of module Variables, which outlives the control.
std::optional<FieldView> Scenario::AnyField(const Command& c) {
  if (!control_) {
    std::optional<FieldView> global = VariablesField(c.target);
    if (global) return global;
  }
  return TheControl(c).Field(c.target);
}

Observed Scenario::Property(const Command& c) {
  std::optional<Observed> found;
  if (c.target == "Screen") {
    if (c.property == "MousePointer") found = Observed::Integer(screen_.MousePointer());
  } else if (screen::Surface* surface = FindSurface(c, c.target)) {
    found = SurfaceProperty(*surface, c.property);
  } else {
    found = ControlProperty(FindControl(c, c.target), c.property);
  }
  if (!found) CannotRun(c, "unknown property " + c.target + "." + c.property);
  return *found;
}

std::optional<Observed> Scenario::Shown(const Command& c) {
  if (c.target == "Screen") return std::nullopt;
  if (screen::Surface* surface = FindSurface(c, c.target))
    return driver_->Shown(*surface, c.property);
  return driver_->Shown(FindControl(c, c.target), c.property);
}

void Scenario::ExpectState(const Command& c) {
  // The model first; then, where widgets draw it, what the widget shows.
  if (c.verb == Verb::kExpectProperty) {
    Observed found = Property(c);
    if (!Matches(c.expected, found)) Fail(c, found.Written());
    std::optional<Observed> shown = Shown(c);
    if (shown && !Matches(c.expected, *shown)) Fail(c, "the widget shows " + shown->Written());
  } else if (c.verb == Verb::kExpectList) {
    screen::Control& control = FindControl(c, c.target);
    if (control.Items() != c.texts) Fail(c, WrittenList(control.Items()));
    std::optional<std::vector<std::string>> shown = driver_->ShownList(control);
    if (shown && *shown != c.texts) Fail(c, "the widget shows " + WrittenList(*shown));
  } else {  // kExpectFocus
    screen::Control& control = FindControl(c, c.target);
    screen::Control* focused = screen_.Focused();
    if (focused != &control)
      Fail(c,
           focused ? "focus " + focused->GetSurface().Name() + "." + focused->Name() : "no focus");
    std::optional<std::string> shown = driver_->ShownFocus();
    std::string wanted = control.GetSurface().Name() + "." + control.Name();
    if (shown && *shown != wanted) Fail(c, "the widgets' focus is on " + *shown);
  }
}

void Scenario::ExpectField(const Command& c) {
  std::optional<FieldView> field = AnyField(c);
  if (!field) CannotRun(c, "unknown field " + c.target);
  Observed found = FieldValue(*field);
  if (!Matches(c.expected, found)) Fail(c, found.Written());
}

std::string Scenario::RunQuery(const std::string& sentence, const std::string& attributes) {
  DBADynArray request;
  request.Set(1, sentence);
  request.Set(2, FileOfSentence(sentence));
  request.Set(3, attributes);
  int32_t count = 0;
  DynArrayPtr result = database_->DBQuery(request.Get(), "", count);
  return result ? result->Get() : "";
}

void Scenario::ExpectStore(const Command& c) {
  // The store's own errors are what the scenario finds, not a reason to give up the file.
  std::string found;
  bool same = false;
  try {
    if (c.verb == Verb::kExpectQuery) {
      found = NotationFromStored(RunQuery(c.texts[0], c.texts[1]));
      same = SameRecordText(c.texts[2], found);
    } else {
      std::optional<std::string> record = database_->GetRecord(c.target, c.id);
      if (c.verb == Verb::kExpectNoRecord) {
        if (record) Fail(c, "record " + Quoted(NotationFromStored(*record)));
        return;
      }
      if (!record) Fail(c, "no record");
      found = c.verb == Verb::kExpectRecord
                  ? NotationFromStored(*record)
                  : NotationFromStored(DBADynArray(*record).Get(static_cast<int>(c.numbers[0])));
      same = SameRecordText(c.texts[0], found);
    }
  } catch (const std::exception& e) {
    Fail(c, std::string("error: ") + e.what());
  }
  if (!same) Fail(c, Quoted(found));
}

void Scenario::Inspect(const Command& c) {
  std::string text;
  switch (c.verb) {
    case Verb::kShowControl:
      if (c.target == "Screen") {
        text = "Screen: MousePointer=" + std::to_string(screen_.MousePointer());
      } else if (screen::Surface* surface = FindSurface(c, c.target)) {
        text = DescribeSurface(*surface);
      } else {
        text = DescribeControl(FindControl(c, c.target));
      }
      break;
    case Verb::kShowField: {
      std::optional<FieldView> field = AnyField(c);
      if (!field) CannotRun(c, "unknown field " + c.target);
      text = "field " + c.target + " = " + FieldValue(*field).Written();
      break;
    }
    case Verb::kDump: {
      std::optional<std::string> record = database_->GetRecord(c.target, c.id);
      text = c.target + " " + c.id +
             (record ? " = " + Quoted(NotationFromStored(*record)) : ": no record");
      break;
    }
    default:  // kDumpQuery
      text = "query " + Quoted(c.texts[0]) + " " + Quoted(c.texts[1]) + " = " +
             Quoted(NotationFromStored(RunQuery(c.texts[0], c.texts[1])));
      break;
  }
  out_ << "  = " << text << "\n";
}

}  // namespace talvero::replay
