#include "replay/values.h"

#include "replay/notation.h"

namespace talvero::replay {

namespace {

// "List(3)" with prefix "List" gives 3.
std::optional<int> IndexedProperty(const std::string& property, const std::string& prefix) {
  if (property.size() < prefix.size() + 3 || property.compare(0, prefix.size(), prefix) != 0 ||
      property[prefix.size()] != '(' || property.back() != ')')
    return std::nullopt;
  std::string digits = property.substr(prefix.size() + 1, property.size() - prefix.size() - 2);
  if (digits.empty() || digits.size() > 6) return std::nullopt;
  for (char c : digits)
    if (c < '0' || c > '9') return std::nullopt;
  return std::stoi(digits);
}

bool HasList(screen::Kind kind) {
  return kind == screen::Kind::ComboBox || kind == screen::Kind::ListBox;
}

bool HasText(screen::Kind kind) {
  return kind == screen::Kind::TextField || kind == screen::Kind::ComboBox;
}

bool HasValue(screen::Kind kind) {
  return kind == screen::Kind::CheckBox || kind == screen::Kind::OptionButton;
}

}  // namespace

Observed Observed::Text(std::string text) {
  Observed o;
  o.text = std::move(text);
  return o;
}

Observed Observed::Integer(long number) {
  Observed o;
  o.kind = Kind::kInteger;
  o.number = number;
  return o;
}

Observed Observed::Boolean(bool flag) {
  Observed o;
  o.kind = Kind::kBoolean;
  o.flag = flag;
  return o;
}

std::string Observed::Written() const {
  switch (kind) {
    case Kind::kText:
    case Kind::kRecord:
      return Quoted(text);
    case Kind::kInteger:
      return std::to_string(number);
    case Kind::kBoolean:
      return flag ? "true" : "false";
    case Kind::kNone:
      return "none";
  }
  return "?";
}

bool Matches(const ExpectedValue& expected, const Observed& found) {
  using E = ExpectedValue::Kind;
  using O = Observed::Kind;
  if (expected.kind == E::kNone || found.kind == O::kNone)
    return expected.kind == E::kNone && found.kind == O::kNone;
  switch (found.kind) {
    case O::kRecord:
      return expected.kind == E::kText && SameRecordText(expected.text, found.text);
    case O::kBoolean:
      if (expected.kind == E::kInteger) return (expected.number != 0) == found.flag;
      return expected.kind == E::kBoolean && expected.flag == found.flag;
    case O::kInteger:
      if (expected.kind == E::kBoolean) return (found.number != 0) == expected.flag;
      if (expected.kind == E::kInteger) return expected.number == found.number;
      // A number written in quotes still names that number.
      return expected.text == std::to_string(found.number);
    default:
      return expected.kind != E::kBoolean && expected.text == found.text;
  }
}

std::optional<Observed> ControlProperty(const screen::Control& control,
                                        const std::string& property) {
  if (property == "Text") return Observed::Text(control.Text());
  if (property == "Caption") return Observed::Text(control.Caption());
  if (property == "Enabled") return Observed::Boolean(control.Enabled());
  if (property == "Visible") return Observed::Boolean(control.Visible());
  if (property == "Value") {
    // An option button's Value is a Boolean; a check box's is 0 or 1.
    if (control.GetKind() == screen::Kind::OptionButton)
      return Observed::Boolean(control.Value() != 0);
    return Observed::Integer(control.Value());
  }
  if (property == "ListIndex") return Observed::Integer(control.ListIndex());
  if (property == "ListCount") return Observed::Integer(control.ListCount());
  if (property == "SelStart") return Observed::Integer(control.SelStart());
  if (std::optional<int> n = IndexedProperty(property, "List"))
    return Observed::Text(control.List(*n));
  if (std::optional<int> n = IndexedProperty(property, "Selected"))
    return Observed::Boolean(control.Selected(*n));
  return std::nullopt;
}

std::optional<Observed> SurfaceProperty(const screen::Surface& surface,
                                        const std::string& property) {
  if (property == "MousePointer") return Observed::Integer(surface.MousePointer());
  if (property == "Enabled") return Observed::Boolean(surface.Enabled());
  if (property == "Caption") return Observed::Text(surface.Caption());
  if (property == "Visible") return Observed::Boolean(surface.Loaded());
  return std::nullopt;
}

Observed FieldValue(const FieldView& field) {
  switch (field.kind) {
    case FieldView::Kind::Boolean:
      return Observed::Boolean(field.text == "true");
    case FieldView::Kind::Integer:
      return Observed::Integer(std::stol(field.text));
    case FieldView::Kind::Text:
      return Observed::Text(field.text);
    case FieldView::Kind::Record: {
      Observed o;
      o.kind = field.exists ? Observed::Kind::kRecord : Observed::Kind::kNone;
      o.text = NotationFromStored(field.text);
      return o;
    }
  }
  return Observed::Text(field.text);
}

std::string DescribeControl(const screen::Control& control) {
  std::string out = control.GetSurface().Name() + "." + control.Name() + ":";
  screen::Kind kind = control.GetKind();
  if (HasText(kind)) out += " Text=" + Quoted(control.Text());
  if (!HasText(kind) && kind != screen::Kind::ListBox)
    out += " Caption=" + Quoted(control.Caption());
  if (HasValue(kind)) out += " Value=" + ControlProperty(control, "Value")->Written();
  out += std::string(" Enabled=") + (control.Enabled() ? "true" : "false");
  out += std::string(" Visible=") + (control.Visible() ? "true" : "false");
  if (HasList(kind)) {
    out += " ListIndex=" + std::to_string(control.ListIndex()) + " List=[";
    for (int i = 0; i < control.ListCount(); ++i) {
      if (i > 0) out += " ";
      out += Quoted(control.List(i));
      if (kind == screen::Kind::ListBox && control.Selected(i)) out += "*";
    }
    out += "]";
  }
  if (control.HasFocus()) out += " (focus)";
  return out;
}

std::string DescribeSurface(const screen::Surface& surface) {
  return surface.Name() + ": Caption=" + Quoted(surface.Caption()) +
         " Enabled=" + (surface.Enabled() ? "true" : "false") +
         " MousePointer=" + std::to_string(surface.MousePointer()) +
         " Loaded=" + (surface.Loaded() ? "true" : "false");
}

}  // namespace talvero::replay
