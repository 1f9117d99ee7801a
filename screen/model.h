#pragma once
// The headless screen model: named controls on surfaces, their properties and events, the focus,
// the queue of pending screen events and the event boundary.
//
// Rules the logic relies on:
// - Assigning Text raises Change when the text actually changes; on a combo box it also sets
//   ListIndex to the first list item equal to the text, or -1 (no Click).
// - Assigning ListIndex (by program or by a pick) sets Text to that item ("" for -1) and raises
//   Click, not Change.
// - Clear on a combo box empties its list and its text, raising Change when the text was not empty.
// - An option button set to true clears the other option buttons of its frame and raises Click
//   when it was false.
// - SetFocus by the logic moves the focus at once; the LostFocus of the control that had it and the
//   GotFocus of the new one are queued as pending events (they run when the operator event being
//   handled returns, or when a procedure yields). SetFocus on the focused control, or on one that
//   cannot take the focus, does nothing; a surface disabled for a long operation refuses only the
//   operator's input, so the logic's SetFocus still works on its controls. A focused control that
//   becomes hidden or disabled (or whose frame is disabled) loses the focus without LostFocus.
// - Events raised by program assignments run at once, nested, before the assignment returns.
// - Every change of what the screen shows (a property, a list, the focus, a surface's state) is
//   told to the screen's observers right after it is made and before any event it raises, so that
//   whatever draws the model shows it at once. Observers are separate from the logic's handlers:
//   they never raise events. A setter that leaves the value as it was tells nobody.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace talvero::screen {

class Control;
class Display;
class Screen;
class Surface;

enum class Kind {
  TextField,
  ComboBox,
  ListBox,
  CheckBox,
  OptionButton,
  Frame,
  Label,
  Button,
  Menu
};

constexpr int kPointerDefault = 0;
constexpr int kPointerHourglass = 11;

// One change of what the screen shows, as its observers receive it.
struct ScreenChange {
  enum class What {
    kText,       // control: Text (and, on a combo box, ListIndex following it)
    kCaption,    // control: Caption
    kEnabled,    // control: Enabled
    kVisible,    // control: Visible
    kValue,      // control: Value
    kList,       // control: items added, removed or cleared (ListIndex and Selected may follow)
    kListIndex,  // control: ListIndex (and a combo's Text)
    kSelected,   // control: Selected of one row
    kSelStart,   // control: SelStart
    kFocus,      // the focused control (control: the new one, nullptr for none)
    kSurfaceCaption,
    kSurfaceEnabled,
    kSurfacePointer,  // the surface's own mouse pointer
    kLoaded,          // a window loaded or unloaded
    kScreenPointer,   // the screen-wide mouse pointer (surface and control: nullptr)
  };
  What what;
  Surface* surface = nullptr;
  Control* control = nullptr;
};

using ScreenObserver = std::function<void(const ScreenChange&)>;

class Control {
 public:
  Control(Surface& surface, std::string name, Kind kind, Control* container);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& Name() const { return name_; }
  Kind GetKind() const { return kind_; }
  Surface& GetSurface() const { return surface_; }
  Control* Container() const { return container_; }  // the frame (or parent menu) holding it

  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // Check box: 0 or 1. Option button: 0 (false) or 1 (true); setting true raises Click when it
  // was false and clears the other option buttons of the same frame.
  int Value() const { return value_; }
  void SetValue(int value);

  // Combo and list boxes.
  int ListIndex() const { return list_index_; }
  void SetListIndex(int index);  // outside -1..ListCount-1: ComponentError
  int ListCount() const { return static_cast<int>(list_.size()); }
  std::string List(int index) const;  // "" outside the list
  const std::vector<std::string>& Items() const { return list_; }
  void AddItem(const std::string& item);
  void RemoveItem(int index);
  void Clear();
  bool Selected(int index) const;
  void SetSelected(int index, bool selected);
  int SelStart() const { return sel_start_; }
  void SetSelStart(int start);

  // Moves the focus here (see the rules above).
  void SetFocus();
  bool HasFocus() const;
  // Visible, enabled, in an enabled frame, on an enabled and operable surface, of a kind that
  // takes the focus.
  bool CanTakeFocus() const;
  // Not hidden, not disabled, not in a disabled frame or surface (menus and labels included).
  bool Usable() const;

  // Event handlers, wired by the logic. An unset handler does nothing.
  std::function<void()> OnChange, OnClick, OnDblClick, OnGotFocus, OnLostFocus;
  std::function<void(int& key)> OnKeyPress;
  std::function<void(int& button, int& shift, float& x, float& y)> OnMouseDown;

  // Raise events (for the operator layer and the toolkit binding).
  void RaiseChange() const {
    if (OnChange) OnChange();
  }
  void RaiseClick() const {
    if (OnClick) OnClick();
  }

 private:
  void Tell(ScreenChange::What what);

  Surface& surface_;
  std::string name_;
  Kind kind_;
  Control* container_;
  std::string text_, caption_;
  bool enabled_ = true, visible_ = true;
  int value_ = 0;
  std::vector<std::string> list_;
  std::vector<bool> selected_;
  int list_index_ = -1;
  int sel_start_ = 0;
};

// A surface: the entry screen (the control itself) or a window. Owns its controls in design order.
class Surface {
 public:
  Surface(Screen& screen, std::string name, bool is_window);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  Screen& GetScreen() const { return screen_; }
  const std::string& Name() const { return name_; }
  bool IsWindow() const { return is_window_; }

  Control& Add(const std::string& name, Kind kind, Control* container = nullptr);
  // The control collection, in design order.
  int Count() const { return static_cast<int>(controls_.size()); }
  Control& Item(int index) const { return *controls_.at(index); }
  Control* Find(const std::string& name) const;
  Control& Get(const std::string& name) const;  // unknown name: std::out_of_range

  void SetFocusOrder(const std::vector<std::string>& names);
  const std::vector<Control*>& FocusOrder() const { return focus_order_; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  int MousePointer() const { return mouse_pointer_; }
  void SetMousePointer(int pointer);
  // Windows are loaded and unloaded; the entry screen is always loaded.
  bool Loaded() const { return loaded_; }
  void SetLoaded(bool loaded);

  std::function<void(int& button, int& shift, float& x, float& y)> OnMouseDown;
  std::function<void()> OnLoad;
  std::function<void(int& cancel)> OnUnload;

 private:
  void Tell(ScreenChange::What what);

  Screen& screen_;
  std::string name_;
  bool is_window_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::vector<Control*> focus_order_;
  std::string caption_;
  bool enabled_ = true;
  int mouse_pointer_ = kPointerDefault;
  bool loaded_;
};

// The screen: focus, pending events, modal windows and the services the logic calls.
class Screen {
 public:
  explicit Screen(Display& display);
  Display& GetDisplay() const { return display_; }

  // Services.
  int MsgBox(const std::string& text, int style, const std::string& title);
  void Beep();
  void PopupMenu(Control& menu);
  // Yield: lets every pending screen event run.
  void DoEvents();
  int MousePointer() const { return mouse_pointer_; }
  void SetMousePointer(int pointer);
  // Loads the window if it is not loaded yet: its Load handler runs.
  void Load(Surface& window);
  // Loads the window if needed (its Load handler runs), shows it modally and returns once it is
  // unloaded. The modal loop is the driver's (the replay tool's script, the toolkit's event loop).
  void ShowModal(Surface& window);
  // Runs the window's Unload handler; unloads it unless the handler cancels. True when unloaded.
  bool Unload(Surface& window);
  // Unloads the host window holding the control.
  void UnloadHost();
  bool HostUnloaded() const { return host_unloaded_; }

  std::function<void(Surface& window)> modal_loop;
  Surface* TopModal() const { return modal_.empty() ? nullptr : modal_.back(); }
  bool Operable(const Surface& surface) const;

  // Focus.
  Control* Focused() const { return focused_; }
  void RequestFocus(Control& control);   // the logic's SetFocus
  void OperatorFocus(Control& control);  // an operator's own move: events at once
  void DropFocusIfUnable();

  // Pending events and the event boundary.
  void Post(std::function<void()> event);
  bool HasPending() const { return !pending_.empty(); }
  // Runs one operator event: an error that escapes is reported to the operator, the busy pointer
  // is taken down and the surfaces enabled again, so the screen stays usable.
  void Guard(const std::function<void()>& event);

  void Attach(Surface* surface);
  void Detach(Surface* surface);
  const std::vector<Surface*>& Surfaces() const { return surfaces_; }

  // Observers of every change of what the screen shows. Subscribe returns the token that
  // Unsubscribe takes; an observer may unsubscribe (itself or another) while being told.
  int Subscribe(ScreenObserver observer);
  void Unsubscribe(int token);
  // Tells every observer (the model's own setters call it).
  void Tell(const ScreenChange& change);

 private:
  void SetFocused(Control* control);

  Display& display_;
  std::vector<Surface*> surfaces_;
  std::vector<Surface*> modal_;
  std::deque<std::function<void()>> pending_;
  Control* focused_ = nullptr;
  int mouse_pointer_ = kPointerDefault;
  bool host_unloaded_ = false;
  std::vector<std::pair<int, ScreenObserver>> observers_;
  int next_token_ = 1;
};

}  // namespace talvero::screen
