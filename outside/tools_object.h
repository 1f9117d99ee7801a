#pragma once
// Our own tools object: the maker-user test, the extra key of the code field, and the key filter
// and number formatting of the value fields.
//
// Number rules. A number text is an optional "-", digits, at most one decimal separator ("," or
// ".") and digits, with at least one digit, blanks around allowed. Formatting gives the value
// rounded half away from zero to exactly `decimals` decimals, a decimal comma, no grouping, no
// leading zeros and no minus sign on zero ("12,5" with 5 and 2 gives "12,50"). A text that is not
// a number, or whose rounded integer part needs more than `integers` digits, comes back unchanged,
// so that a field never receives a value it cannot show.
#include <string>

#include "gateways/tools.h"

namespace talvero::outside {

class ToolsObject : public Outils {
 public:
  // The name EstUtilisateur is asked about: the maker's own company.
  static constexpr const char* kMakerName = "OrVanel";

  // Whether the operator is one of the maker's users (default no).
  void SetMaker(bool maker) { maker_ = maker; }
  // The extra key of the code field (default "*").
  void SetSpecialKey(const std::string& key) { special_key_ = key; }

  // True only for the maker's name, and only when the operator was configured as a maker's user.
  bool EstUtilisateur(const std::string& name) override;
  std::string CaractereSaisie() override { return special_key_; }
  // Lets through digits, Backspace, Tab, Enter and one decimal comma ("," or "." becomes "," while
  // the field holds no separator yet); every other key becomes 0. The option is not used.
  void FiltrerTouche(screen::Control& field, int& key, int32_t option) override;
  // The field's text formatted by the number rules above.
  std::string FormaterZone(screen::Control& field, int integers, int decimals) override;
  // The number text formatted by the same rules; the flag is not used.
  std::string FormatNombre(const std::string& number, int integers, int decimals,
                           int flag) override;

  // The number rules, for callers without a field.
  static std::string Format(const std::string& number, int integers, int decimals);

 private:
  bool maker_ = false;
  std::string special_key_ = "*";
};

}  // namespace talvero::outside
