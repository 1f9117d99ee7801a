#include "outside/tools_object.h"

#include <algorithm>
#include <optional>

#include "screen/model.h"

namespace talvero::outside {
namespace {

constexpr int kBackspace = 8;
constexpr int kTab = 9;
constexpr int kEnter = 13;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsSeparator(char c) {
  return c == ',' || c == '.';
}
bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// A number text split into its parts, the digits kept as text so that rounding is exact.
struct DecimalText {
  bool negative = false;
  std::string integer_digits;
  std::string fraction_digits;
};

std::optional<DecimalText> ParseDecimal(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  DecimalText number;
  size_t i = begin;
  if (i < end && text[i] == '-') {
    number.negative = true;
    ++i;
  }
  while (i < end && IsDigit(text[i])) number.integer_digits += text[i++];
  if (i < end && IsSeparator(text[i])) {
    ++i;
    while (i < end && IsDigit(text[i])) number.fraction_digits += text[i++];
  }
  if (i != end || (number.integer_digits.empty() && number.fraction_digits.empty())) {
    return std::nullopt;
  }
  return number;
}

// Adds one unit in the last place of a digit string; "999" becomes "1000".
void Increment(std::string& digits) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
}

std::optional<std::string> FormatDecimal(const DecimalText& number, int integers, int decimals) {
  decimals = std::max(decimals, 0);
  std::string fraction = number.fraction_digits;
  bool round_up = static_cast<int>(fraction.size()) > decimals && fraction[decimals] >= '5';
  fraction.resize(decimals, '0');
  // Rounding on the magnitude is rounding half away from zero for either sign.
  std::string digits = number.integer_digits + fraction;
  if (round_up) Increment(digits);

  std::string integer_part = digits.substr(0, digits.size() - decimals);
  fraction = digits.substr(digits.size() - decimals);
  integer_part.erase(0, std::min(integer_part.find_first_not_of('0'), integer_part.size()));
  if (static_cast<int>(integer_part.size()) > integers) return std::nullopt;

  bool is_zero = integer_part.empty() && fraction.find_first_not_of('0') == std::string::npos;
  std::string result = number.negative && !is_zero ? "-" : "";
  result += integer_part.empty() ? "0" : integer_part;
  if (decimals > 0) result += "," + fraction;
  return result;
}

}  // namespace

bool ToolsObject::EstUtilisateur(const std::string& name) {
  return maker_ && name == kMakerName;
}

void ToolsObject::FiltrerTouche(screen::Control& field, int& key, int32_t option) {
  if ((key >= '0' && key <= '9') || key == kBackspace || key == kTab || key == kEnter) return;
  if (key == ',' || key == '.') {
    const std::string& text = field.Text();
    bool has_separator = std::any_of(text.begin(), text.end(), IsSeparator);
    key = has_separator ? 0 : ',';
    return;
  }
  key = 0;
}

std::string ToolsObject::Format(const std::string& number, int integers, int decimals) {
  std::optional<DecimalText> parsed = ParseDecimal(number);
  if (!parsed) return number;
  return FormatDecimal(*parsed, integers, decimals).value_or(number);
}

std::string ToolsObject::FormaterZone(screen::Control& field, int integers, int decimals) {
  return Format(field.Text(), integers, decimals);
}

std::string ToolsObject::FormatNombre(const std::string& number, int integers, int decimals,
                                      int flag) {
  return Format(number, integers, decimals);
}

}  // namespace talvero::outside
