#pragma once
// What a scenario can observe (a property of a control or a surface, a field of the control) and
// how it is compared with the value the scenario expects. Booleans compare as true/false whatever
// their stored form (an option button's 1, a 16-bit -1), records as record texts.
#include <optional>
#include <string>

#include "component/ctr_talvero.h"
#include "replay/script.h"
#include "screen/model.h"

namespace talvero::replay {

struct Observed {
  enum class Kind { kText, kInteger, kBoolean, kRecord, kNone };
  Kind kind = Kind::kText;
  std::string text;   // kText; kRecord in the record notation
  long number = 0;    // kInteger
  bool flag = false;  // kBoolean

  static Observed Text(std::string text);
  static Observed Integer(long number);
  static Observed Boolean(bool flag);

  // As a scenario would write it: "\"A\"", "12", "true", "none".
  std::string Written() const;
};

bool Matches(const ExpectedValue& expected, const Observed& found);

// Text, Caption, Enabled, Visible, Value, ListIndex, ListCount, SelStart, List(N), Selected(N);
// nullopt for any other property name.
std::optional<Observed> ControlProperty(const screen::Control& control,
                                        const std::string& property);
// MousePointer, Enabled, Caption, and Visible (a window is visible while loaded).
std::optional<Observed> SurfaceProperty(const screen::Surface& surface,
                                        const std::string& property);

Observed FieldValue(const FieldView& field);

// Every property worth looking at, on one line, for `show`.
std::string DescribeControl(const screen::Control& control);
std::string DescribeSurface(const screen::Surface& surface);

}  // namespace talvero::replay
