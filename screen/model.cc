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

}  // namespace

// ---------------------------------------------------------------- Control

Control::Control(Surface& surface, std::string name, Kind kind, Control* container)
    : surface_(surface), name_(std::move(name)), kind_(kind), container_(container) {}

void Control::SetText(const std::string& text) {
  bool changed = text != text_;
  text_ = text;
  if (kind_ == Kind::ComboBox) {
    auto it = std::find(list_.begin(), list_.end(), text_);
    list_index_ = it == list_.end() ? -1 : static_cast<int>(it - list_.begin());
  }
  if (changed) RaiseChange();
}

void Control::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (!enabled) surface_.GetScreen().DropFocusIfUnable();
}

void Control::SetVisible(bool visible) {
  visible_ = visible;
  if (!visible) surface_.GetScreen().DropFocusIfUnable();
}

void Control::SetValue(int value) {
  if (kind_ != Kind::OptionButton) {
    value_ = value;
    return;
  }
  bool was = value_ != 0;
  value_ = value != 0 ? 1 : 0;
  if (!value_ || was) return;
  // Option buttons of one frame exclude each other; clearing raises nothing.
  for (int i = 0; i < surface_.Count(); ++i) {
    Control& other = surface_.Item(i);
    if (&other != this && other.kind_ == Kind::OptionButton && other.container_ == container_)
      other.value_ = 0;
  }
  RaiseClick();
}

void Control::SetListIndex(int index) {
  if (index < -1 || index >= ListCount())
    throw ComponentError(kErrInvalidProperty, "Valeur de propriété non valide : ListIndex " +
                                                  std::to_string(index) + " sur " + name_);
  list_index_ = index;
  if (kind_ == Kind::ComboBox) text_ = index < 0 ? "" : list_[index];
  RaiseClick();
}

std::string Control::List(int index) const {
  if (index < 0 || index >= ListCount()) return "";
  return list_[index];
}

void Control::AddItem(const std::string& item) {
  list_.push_back(item);
  selected_.push_back(false);
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
}

void Control::Clear() {
  list_.clear();
  selected_.clear();
  list_index_ = -1;
  if (kind_ == Kind::ComboBox && !text_.empty()) {
    text_.clear();
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
  selected_[index] = selected;
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
  if (focused_ && &focused_->GetSurface() == &window) focused_ = nullptr;
  // The focus goes back where it was, even while the caller still has its screen disabled.
  if (previous && focused_ == nullptr && previous->Visible() && previous->Enabled())
    focused_ = previous;
}

bool Screen::Unload(Surface& window) {
  if (!window.Loaded()) return true;
  int cancel = 0;
  if (window.OnUnload) window.OnUnload(cancel);
  if (cancel) return false;
  window.SetLoaded(false);
  if (focused_ && &focused_->GetSurface() == &window) focused_ = nullptr;
  display_.WindowUnloaded(window.Name());
  return true;
}

void Screen::UnloadHost() {
  host_unloaded_ = true;
  display_.HostUnloaded();
}

void Screen::RequestFocus(Control& control) {
  if (focused_ == &control || !control.CanTakeFocus()) return;
  Control* old = focused_;
  focused_ = &control;
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
  focused_ = &control;
  if (old && old->OnLostFocus) Guard(old->OnLostFocus);
  // A LostFocus that sent the focus elsewhere has the last word.
  if (focused_ == &control && control.OnGotFocus) Guard(control.OnGotFocus);
}

void Screen::DropFocusIfUnable() {
  if (focused_ && !TakesFocus(focused_->GetKind())) return;
  if (focused_ && !focused_->Visible()) focused_ = nullptr;
  if (focused_ && !focused_->Enabled()) focused_ = nullptr;
  if (focused_)
    for (Control* c = focused_->Container(); c; c = c->Container())
      if (!c->Enabled() || !c->Visible()) {
        focused_ = nullptr;
        break;
      }
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
  mouse_pointer_ = kPointerDefault;
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
  if (focused_ && &focused_->GetSurface() == surface) focused_ = nullptr;
  // Pending events may point into the surface's controls: they go with it.
  pending_.clear();
}

}  // namespace talvero::screen
