#include "screen/operator.h"

#include <algorithm>

namespace talvero::screen {

std::vector<char32_t> DecodeUtf8(const std::string& text) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = text[i];
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= text.size()) {
      out.push_back(c);  // a stray byte stands for itself
      ++i;
      continue;
    }
    char32_t code = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) code = (code << 6) | (text[i + k] & 0x3F);
    out.push_back(code);
    i += extra + 1;
  }
  return out;
}

std::string EncodeUtf8(char32_t code) {
  std::string s;
  if (code < 0x80) {
    s += static_cast<char>(code);
  } else if (code < 0x800) {
    s += static_cast<char>(0xC0 | (code >> 6));
    s += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    s += static_cast<char>(0xE0 | (code >> 12));
    s += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (code >> 18));
    s += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (code & 0x3F));
  }
  return s;
}

std::string DropLastChar(const std::string& text) {
  if (text.empty()) return text;
  size_t end = text.size() - 1;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

void Operator::Focus(Control& control) {
  if (!control.CanTakeFocus()) throw OperatorError(control.Name() + " cannot take the focus");
  screen_.OperatorFocus(control);
  screen_.DoEvents();
}

void Operator::Tab() {
  Step(1);
}

void Operator::BackTab() {
  Step(-1);
}

void Operator::Step(int direction) {
  Control* current = screen_.Focused();
  Surface* surface = screen_.TopModal();
  if (!surface) surface = current ? &current->GetSurface() : nullptr;
  // With the focus nowhere (a handler hid or disabled the control that had it), the key goes to
  // the screen that can be operated, from the start of its focus order.
  for (Surface* s : screen_.Surfaces())
    if (!surface && screen_.Operable(*s)) surface = s;
  if (!surface) throw OperatorError("no surface to tab through");
  const auto& order = surface->FocusOrder();
  if (order.empty()) throw OperatorError("no focus order on " + surface->Name());
  auto at = std::find(order.begin(), order.end(), current);
  size_t n = order.size();
  size_t start =
      at == order.end() ? (direction > 0 ? n - 1 : 0) : static_cast<size_t>(at - order.begin());
  for (size_t k = 1; k <= n; ++k) {
    Control* next = order[(start + (direction > 0 ? k : n - k)) % n];
    if (next->CanTakeFocus()) {
      Focus(*next);
      return;
    }
  }
  throw OperatorError("no control can take the focus");
}

namespace {

bool IsClickable(Kind kind) {
  return kind == Kind::Button || kind == Kind::CheckBox || kind == Kind::OptionButton;
}

std::string Encode(const std::vector<char32_t>& codes, size_t from, size_t to) {
  std::string out;
  for (size_t i = from; i < to && i < codes.size(); ++i) out += EncodeUtf8(codes[i]);
  return out;
}

}  // namespace

int Operator::PressKey(Control& target, int code, int start, int length) {
  int key = code;
  if (target.OnKeyPress) screen_.Guard([&] { target.OnKeyPress(key); });
  // The handler may have changed the text: the selection is kept within it.
  std::vector<char32_t> chars = DecodeUtf8(target.Text());
  size_t size = chars.size();
  // A start below 0 types at the end of the text as the handler left it.
  size_t from = start < 0 ? size : std::min(static_cast<size_t>(start), size);
  size_t to = std::min(from + static_cast<size_t>(std::max(length, 0)), size);
  if (key == 0 || key == kKeyEnter) return static_cast<int>(from);
  // Space on a button, check box or option button clicks it, as a click of the mouse would.
  if (key == kKeySpace && IsClickable(target.GetKind())) {
    if (target.HasFocus() && target.CanTakeFocus()) Activate(target);
    return static_cast<int>(from);
  }
  bool editable = target.GetKind() == Kind::TextField || target.GetKind() == Kind::ComboBox;
  if (key == kKeyBackspace) {
    if (from == to && from == 0) return 0;
    if (from == to) --from;
    std::string shorter = Encode(chars, 0, from) + Encode(chars, to, size);
    screen_.Guard([&] { target.SetText(shorter); });
    return static_cast<int>(from);
  }
  if (!editable) return static_cast<int>(from);
  std::string edited =
      Encode(chars, 0, from) + EncodeUtf8(static_cast<char32_t>(key)) + Encode(chars, to, size);
  screen_.Guard([&] { target.SetText(edited); });
  return static_cast<int>(from) + 1;
}

void Operator::Type(const std::string& text) {
  // Each character is its own key event: the focus may move between two of them.
  // With no control holding the focus (a handler hid or disabled it), keys go nowhere, as on a
  // real screen.
  for (char32_t c : DecodeUtf8(text)) {
    if (Control* target = screen_.Focused()) PressKey(*target, static_cast<int>(c), -1, 0);
    screen_.DoEvents();
  }
}

void Operator::Key(int code) {
  if (Control* target = screen_.Focused()) PressKey(*target, code, -1, 0);
  screen_.DoEvents();
}

int Operator::KeyAt(int code, int start, int length) {
  int caret = start;
  if (Control* target = screen_.Focused()) caret = PressKey(*target, code, start, length);
  screen_.DoEvents();
  return caret;
}

void Operator::Paste(const std::string& text) {
  Control* target = screen_.Focused();
  if (target) screen_.Guard([&] { target->SetText(text); });
  screen_.DoEvents();
}

void Operator::OpenList(Control& combo) {
  if (!combo.CanTakeFocus()) throw OperatorError(combo.Name() + " cannot take the focus");
  screen_.OperatorFocus(combo);
}

void Operator::Pick(Control& combo, int index) {
  OpenList(combo);
  PickFromOpenList(combo, combo.CanTakeFocus() ? IndexRow(combo, index) : index);
}

void Operator::PickFromOpenList(Control& combo, int index) {
  if (combo.CanTakeFocus() && index >= 0 && index < combo.ListCount())
    screen_.Guard([&] { combo.SetListIndex(index); });
  screen_.DoEvents();
}

void Operator::Pick(Control& combo, const std::string& item) {
  OpenList(combo);
  // A move that sent the focus elsewhere leaves nothing to pick from.
  PickFromOpenList(combo, combo.CanTakeFocus() ? ItemRow(combo, item) : -1);
}

int IndexRow(const Control& combo, int index) {
  if (index < 0 || index >= combo.ListCount())
    throw OperatorError(combo.Name() + " has no item " + std::to_string(index));
  return index;
}

int ItemRow(const Control& combo, const std::string& item) {
  const auto& items = combo.Items();
  auto it = std::find(items.begin(), items.end(), item);
  if (it == items.end()) throw OperatorError(combo.Name() + " has no item \"" + item + "\"");
  return static_cast<int>(it - items.begin());
}

void Operator::Click(Control& control) {
  if (control.GetKind() == Kind::Menu) {
    if (control.Usable()) screen_.Guard([&] { control.RaiseClick(); });
    screen_.DoEvents();
    return;
  }
  if (!control.CanTakeFocus()) return;  // hidden, disabled or not clickable: nothing happens
  screen_.OperatorFocus(control);
  ReleaseClick(control);
}

void Operator::ReleaseClick(Control& control) {
  // A LostFocus run by the move may have sent the focus elsewhere or disabled the control. A
  // button sent away is not pressed; a check box or an option button is still ticked, unless
  // the move left it unusable.
  bool button = control.GetKind() == Kind::Button;
  if (control.CanTakeFocus() && (!button || control.HasFocus())) Activate(control);
  screen_.DoEvents();
}

void Operator::Activate(Control& control) {
  switch (control.GetKind()) {
    case Kind::Button:
      screen_.Guard([&] { control.RaiseClick(); });
      break;
    case Kind::CheckBox:
      control.SetValue(control.Value() ? 0 : 1);
      break;
    case Kind::OptionButton:
      screen_.Guard([&] { control.SetValue(1); });
      break;
    default:
      break;
  }
}

void Operator::Select(Control& list, const std::vector<int>& rows) {
  for (int r : rows)
    if (r < 0 || r >= list.ListCount())
      throw OperatorError(list.Name() + " has no row " + std::to_string(r));
  for (int i = 0; i < list.ListCount(); ++i)
    list.SetSelected(i, std::find(rows.begin(), rows.end(), i) != rows.end());
  // Selecting rows is not a pick: no event.
  auto handler = std::move(list.OnClick);
  list.OnClick = nullptr;
  list.SetListIndex(rows.empty() ? -1 : rows.back());
  list.OnClick = std::move(handler);
}

void Operator::DblClick(Control& list) {
  if (list.Usable() && list.OnDblClick) screen_.Guard(list.OnDblClick);
  screen_.DoEvents();
}

void Operator::MouseDown(Surface& surface, int button) {
  if (surface.Enabled() && screen_.Operable(surface) && surface.OnMouseDown) {
    int b = button, shift = 0;
    float x = 0, y = 0;
    screen_.Guard([&] { surface.OnMouseDown(b, shift, x, y); });
  }
  screen_.DoEvents();
}

void Operator::MouseDown(Control& frame, int button) {
  if (frame.Usable() && frame.OnMouseDown) {
    int b = button, shift = 0;
    float x = 0, y = 0;
    screen_.Guard([&] { frame.OnMouseDown(b, shift, x, y); });
  }
  screen_.DoEvents();
}

void Operator::Close(Surface& window) {
  if (!window.Loaded()) throw OperatorError(window.Name() + " is not open");
  screen_.Guard([&] { screen_.Unload(window); });
  screen_.DoEvents();
}

}  // namespace talvero::screen
