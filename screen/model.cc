#include "screen/model.h"

#include <algorithm>
#include <stdexcept>

#include "gateways/dba_error.h"
#include "screen/display.h"

namespace talvero::screen {

namespace {

bool TakesFocus(Kind kind) {
  switch (kind) {
    case Kind::TextField:
    case Kind::ComboBox:
    case Kind::ListBox:
    case Kind::CheckBox:
    case Kind::OptionButton:
    case Kind::Button:
      return true;
    default:
      return false;
  }
}

constexpr int32_t kErrInvalidProperty = 380;

// The logic's own SetFocus. A surface disabled for a long operation is disabled for the
// operator's input only: the program still moves the focus on it, as a loading does.
bool TakesFocusFromLogic(const Control& control) {
  if (!TakesFocus(control.GetKind()) || !control.Visible() || !control.Enabled()) return false;
  for (Control* c = control.Container(); c; c = c->Container())
    if (!c->Enabled() || !c->Visible()) return false;
  return control.GetSurface().GetScreen().Operable(control.GetSurface());
}

}  // namespace

// ---------------------------------------------------------------- Control

Control::Control(Surface& surface, std::string name, Kind kind, Control* container)
    : surface_(surface), name_(std::move(name)), kind_(kind), container_(container) {}

void Control::Tell(ScreenChange::What what) {
  surface_.GetScreen().Tell({what, &surface_, this});
}

void Control::SetText(const std::string& text) {
  bool changed = text != text_;
  int old_index = list_index_;
  text_ = text;
  if (kind_ == Kind::ComboBox) {
    auto it = std::find(list_.begin(), list_.end(), text_);
    list_index_ = it == list_.end() ? -1 : static_cast<int>(it - list_.begin());
  }
  if (changed || list_index_ != old_index) Tell(ScreenChange::What::kText);
  if (changed) RaiseChange();
}

void Control::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Tell(ScreenChange::What::kCaption);
}

void Control::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Tell(ScreenChange::What::kEnabled);
  if (!enabled) surface_.GetScreen().DropFocusIfUnable();
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Tell(ScreenChange::What::kVisible);
  if (!visible) surface_.GetScreen().DropFocusIfUnable();
}

void Control::SetValue(int value) {
  if (kind_ != Kind::OptionButton) {
    if (value == value_) return;
    value_ = value;
    Tell(ScreenChange::What::kValue);
    return;
  }
  bool was = value_ != 0;
  value_ = value != 0 ? 1 : 0;
  if (was != (value_ != 0)) Tell(ScreenChange::What::kValue);
  if (!value_ || was) return;
  // Option buttons of one frame exclude each other; clearing raises nothing.
  for (int i = 0; i < surface_.Count(); ++i) {
    Control& other = surface_.Item(i);
    if (&other != this && other.kind_ == Kind::OptionButton && other.container_ == container_ &&
        other.value_ != 0) {
      other.value_ = 0;
      other.Tell(ScreenChange::What::kValue);
    }
  }
  RaiseClick();
}

void Control::SetListIndex(int index) {
  if (index < -1 || index >= ListCount())
    throw ComponentError(kErrInvalidProperty, "Valeur de propriété non valide : ListIndex " +
                                                  std::to_string(index) + " sur " + name_);
  std::string old_text = text_;
  int old_index = list_index_;
  list_index_ = index;
  if (kind_ == Kind::ComboBox) text_ = index < 0 ? "" : list_[index];
  if (old_index != list_index_ || old_text != text_) Tell(ScreenChange::What::kListIndex);
  RaiseClick();
}

void Control::SetSelStart(int start) {
  if (start == sel_start_) return;
  sel_start_ = start;
  Tell(ScreenChange::What::kSelStart);
}

std::string Control::List(int index) const {
  if (index < 0 || index >= ListCount()) return "";
  return list_[index];
}

void Control::AddItem(const std::string& item) {
  list_.push_back(item);
  selected_.push_back(false);
  Tell(ScreenChange::What::kList);
}

void Control::RemoveItem(int index) {
  if (index < 0 || index >= ListCount())
    throw ComponentError(kErrInvalidProperty,
                         "Index de liste non valide : " + std::to_string(index) + " sur " + name_);
  list_.erase(list_.begin() + index);
  selected_.erase(selected_.begin() + index);
  if (list_index_ == index)
    list_index_ = -1;
  else if (list_index_ > index)
    --list_index_;
  Tell(ScreenChange::What::kList);
}

void Control::Clear() {
  bool had_items = !list_.empty() || list_index_ != -1;
  list_.clear();
  selected_.clear();
  list_index_ = -1;
  if (had_items) Tell(ScreenChange::What::kList);
  if (kind_ == Kind::ComboBox && !text_.empty()) {
    text_.clear();
    Tell(ScreenChange::What::kText);
    RaiseChange();
  }
}

bool Control::Selected(int index) const {
  return index >= 0 && index < ListCount() && selected_[index];
}

void Control::SetSelected(int index, bool selected) {
  if (index < 0 || index >= ListCount())
    throw ComponentError(kErrInvalidProperty,
                         "Index de liste non valide : " + std::to_string(index) + " sur " + name_);
  if (selected_[index] == selected) return;
  selected_[index] = selected;
  Tell(ScreenChange::What::kSelected);
}

void Control::SetFocus() {
  surface_.GetScreen().RequestFocus(*this);
}

bool Control::HasFocus() const {
  return surface_.GetScreen().Focused() == this;
}

bool Control::Usable() const {
  if (!visible_ || !enabled_) return false;
  for (Control* c = container_; c; c = c->container_)
    if (!c->enabled_ || !c->visible_) return false;
  return surface_.Enabled() && surface_.GetScreen().Operable(surface_);
}

bool Control::CanTakeFocus() const {
  return TakesFocus(kind_) && Usable();
}

// ---------------------------------------------------------------- Surface

Surface::Surface(Screen& screen, std::string name, bool is_window)
    : screen_(screen), name_(std::move(name)), is_window_(is_window), loaded_(!is_window) {
  screen_.Attach(this);
}

Surface::~Surface() {
  screen_.Detach(this);
}

void Surface::Tell(ScreenChange::What what) {
  screen_.Tell({what, this, nullptr});
}

void Surface::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Tell(ScreenChange::What::kSurfaceCaption);
}

void Surface::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Tell(ScreenChange::What::kSurfaceEnabled);
}

void Surface::SetMousePointer(int pointer) {
  if (pointer == mouse_pointer_) return;
  mouse_pointer_ = pointer;
  Tell(ScreenChange::What::kSurfacePointer);
}

void Surface::SetLoaded(bool loaded) {
  if (loaded == loaded_) return;
  loaded_ = loaded;
  Tell(ScreenChange::What::kLoaded);
}

Control& Surface::Add(const std::string& name, Kind kind, Control* container) {
  controls_.push_back(std::make_unique<Control>(*this, name, kind, container));
  return *controls_.back();
}

Control* Surface::Find(const std::string& name) const {
  for (const auto& c : controls_)
    if (c->Name() == name) return c.get();
  return nullptr;
}

Control& Surface::Get(const std::string& name) const {
  if (Control* c = Find(name)) return *c;
  throw std::out_of_range("no control " + name + " on " + name_);
}

void Surface::SetFocusOrder(const std::vector<std::string>& names) {
  focus_order_.clear();
  for (const auto& n : names) focus_order_.push_back(&Get(n));
}

// ---------------------------------------------------------------- Screen

Screen::Screen(Display& display) : display_(display) {}

void Screen::SetMousePointer(int pointer) {
  if (pointer == mouse_pointer_) return;
  mouse_pointer_ = pointer;
  Tell({ScreenChange::What::kScreenPointer, nullptr, nullptr});
}

int Screen::Subscribe(ScreenObserver observer) {
  observers_.emplace_back(next_token_, std::move(observer));
  return next_token_++;
}

void Screen::Unsubscribe(int token) {
  observers_.erase(std::remove_if(observers_.begin(), observers_.end(),
                                  [token](const auto& o) { return o.first == token; }),
                   observers_.end());
}

void Screen::Tell(const ScreenChange& change) {
  // A copy: an observer may subscribe or unsubscribe while being told.
  auto observers = observers_;
  for (const auto& [token, observer] : observers) observer(change);
}

void Screen::SetFocused(Control* control) {
  if (control == focused_) return;
  focused_ = control;
  Tell({ScreenChange::What::kFocus, control ? &control->GetSurface() : nullptr, control});
}

int Screen::MsgBox(const std::string& text, int style, const std::string& title) {
  return display_.MessageBox(text, style, title);
}

void Screen::Beep() {
  display_.Beep();
}

void Screen::PopupMenu(Control& menu) {
  display_.PopupMenu(menu.Name());
}

void Screen::DoEvents() {
  while (!pending_.empty()) {
    auto event = std::move(pending_.front());
    pending_.pop_front();
    Guard(event);
  }
  display_.Yield();
}

bool Screen::Operable(const Surface& surface) const {
  if (!surface.Loaded()) return false;
  Surface* top = TopModal();
  return top == nullptr || top == &surface;
}

void Screen::Load(Surface& window) {
  if (window.Loaded()) return;
  window.SetLoaded(true);
  if (window.OnLoad) window.OnLoad();
}

void Screen::ShowModal(Surface& window) {
  Load(window);
  if (!window.Loaded()) return;  // the Load handler unloaded it again
  Control* previous = focused_;
  modal_.push_back(&window);
  // The focus goes to the window's first control that can take it.
  for (Control* c : window.FocusOrder())
    if (c->CanTakeFocus()) {
      RequestFocus(*c);
      break;
    }
  display_.WindowShown(window.Name());
  if (modal_loop) modal_loop(window);
  modal_.erase(std::remove(modal_.begin(), modal_.end(), &window), modal_.end());
  if (window.Loaded()) {  // the driver stopped without closing it: the window goes with it
    window.SetLoaded(false);
    display_.WindowUnloaded(window.Name());
  }
  if (focused_ && &focused_->GetSurface() == &window) SetFocused(nullptr);
  // The focus goes back where it was, even while the caller still has its screen disabled.
  if (previous && focused_ == nullptr && previous->Visible() && previous->Enabled())
    SetFocused(previous);
}

bool Screen::Unload(Surface& window) {
  if (!window.Loaded()) return true;
  int cancel = 0;
  if (window.OnUnload) window.OnUnload(cancel);
  if (cancel) return false;
  window.SetLoaded(false);
  if (focused_ && &focused_->GetSurface() == &window) SetFocused(nullptr);
  display_.WindowUnloaded(window.Name());
  return true;
}

void Screen::UnloadHost() {
  host_unloaded_ = true;
  display_.HostUnloaded();
}

void Screen::RequestFocus(Control& control) {
  if (focused_ == &control || !TakesFocusFromLogic(control)) return;
  Control* old = focused_;
  SetFocused(&control);
  if (old)
    Post([old] {
      if (old->OnLostFocus) old->OnLostFocus();
    });
  Post([&control] {
    if (control.OnGotFocus) control.OnGotFocus();
  });
}

void Screen::OperatorFocus(Control& control) {
  if (focused_ == &control) return;
  Control* old = focused_;
  SetFocused(&control);
  if (old && old->OnLostFocus) Guard(old->OnLostFocus);
  // A LostFocus that sent the focus elsewhere has the last word.
  if (focused_ == &control && control.OnGotFocus) Guard(control.OnGotFocus);
}

void Screen::DropFocusIfUnable() {
  if (focused_ && !TakesFocus(focused_->GetKind())) return;
  if (!focused_) return;
  bool unable = !focused_->Visible() || !focused_->Enabled();
  for (Control* c = focused_->Container(); c && !unable; c = c->Container())
    unable = !c->Enabled() || !c->Visible();
  if (unable) SetFocused(nullptr);
}

void Screen::Post(std::function<void()> event) {
  pending_.push_back(std::move(event));
}

void Screen::Guard(const std::function<void()>& event) {
  std::string error;
  try {
    event();
    return;
  } catch (const UnansweredQuestion&) {
    throw;
  } catch (const ComponentError& e) {
    error = "Erreur " + std::to_string(e.Number()) + " : " + e.what();
  } catch (const std::exception& e) {
    error = std::string("Erreur : ") + e.what();
  }
  // The operator is told, and the screen is given back: no busy pointer, no disabled surface.
  display_.Error(error);
  SetMousePointer(kPointerDefault);
  for (Surface* s : surfaces_) {
    s->SetMousePointer(kPointerDefault);
    s->SetEnabled(true);
  }
}

void Screen::Attach(Surface* surface) {
  surfaces_.push_back(surface);
}

void Screen::Detach(Surface* surface) {
  surfaces_.erase(std::remove(surfaces_.begin(), surfaces_.end(), surface), surfaces_.end());
  modal_.erase(std::remove(modal_.begin(), modal_.end(), surface), modal_.end());
  if (focused_ && &focused_->GetSurface() == surface) SetFocused(nullptr);
  // Pending events may point into the surface's controls: they go with it.
  pending_.clear();
}

}  // namespace talvero::screen
