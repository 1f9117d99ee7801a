#include "records/code_tables.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "gateways/dba_error.h"
#include "gateways/dyn_array.h"

namespace talvero::records {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string Trimmed(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

ComponentError NotANumber(const std::string& text) {
  return ComponentError(kErrConversion,
                        "Incompatibilité de type : « " + text + " » n'est pas un nombre");
}

// Rewrites "%g" exponent output ("1.25e-05", "1e+20") as plain positional digits, so that every
// text we produce reads back as a French number.
std::string Positional(const std::string& scientific) {
  size_t e = scientific.find('e');
  if (e == std::string::npos) return scientific;
  std::string mantissa = scientific.substr(0, e);
  int exponent = std::stoi(scientific.substr(e + 1));
  bool negative = !mantissa.empty() && mantissa[0] == '-';
  if (negative) mantissa.erase(0, 1);
  size_t point = mantissa.find('.');
  std::string digits = mantissa;
  int integer_count = static_cast<int>(point == std::string::npos ? mantissa.size() : point);
  if (point != std::string::npos) digits.erase(point, 1);
  integer_count += exponent;
  if (integer_count <= 0) {
    digits.insert(0, static_cast<size_t>(-integer_count), '0');
    integer_count = 0;
  } else if (integer_count > static_cast<int>(digits.size())) {
    digits.append(integer_count - digits.size(), '0');
  }
  std::string integer_part = digits.substr(0, integer_count);
  std::string fraction = digits.substr(integer_count);
  fraction.erase(fraction.find_last_not_of('0') + 1);
  std::string result = negative ? "-" : "";
  result += integer_part.empty() ? "0" : integer_part;
  if (!fraction.empty()) result += "." + fraction;
  return result;
}

}  // namespace

const std::vector<std::string>& ChampApplicationTexts() {
  static const std::vector<std::string> texts = {
      "Avantage en nature",
      "Après net imposable",
      "Frais professionnels",
      "Main d'oeuvre directe",
      "Main d'oeuvre directe Dim. et J.F.",
      "Inclus dans brut base et montant",
      "Inclus dans brut montant",
  };
  return texts;
}

const std::vector<std::string>& TypeBaseTexts() {
  static const std::vector<std::string> texts = {
      "A saisir", "Fixe", "Composante de bases", "Composante de montants", "Pas de base",
  };
  return texts;
}

const std::vector<std::string>& TypeTauxTexts() {
  static const std::vector<std::string> texts = {
      "A saisir", "Fixe - montant", "Taux horaire", "Pas de taux", "Fixe - nombre de points",
  };
  return texts;
}

const std::vector<std::string>& TypeMontantTexts() {
  static const std::vector<std::string> texts = {"A saisir", "Fixe", "Résultat base par taux"};
  return texts;
}

const std::vector<LetterCode>& TypeAvantageNatureTable() {
  static const std::vector<LetterCode> table = {
      {"L", "Logement", 0},
      {"N", "Nourriture", 1},
      {"V", "Voiture", 2},
      {"A", "Autre", 3},
  };
  return table;
}

const std::vector<LetterCode>& TypeFraisProfTable() {
  static const std::vector<LetterCode> table = {
      {"F", "Forfaitaires", 0},
      {"R", "Remboursement", 1},
      {"P", "Prise en charge employeur", 2},
      {"D", "Autres dépenses", 3},
  };
  return table;
}

std::optional<int> CodeOfText(const std::vector<std::string>& texts, const std::string& text) {
  for (size_t i = 0; i < texts.size(); ++i) {
    if (texts[i] == text) return static_cast<int>(i);
  }
  return std::nullopt;
}

std::optional<std::string> LetterOfText(const std::vector<LetterCode>& table,
                                        const std::string& text) {
  for (const LetterCode& code : table) {
    if (code.text == text) return code.letter;
  }
  return std::nullopt;
}

std::string TextOfCode(const std::vector<std::string>& texts, int code) {
  if (code < 0 || code >= static_cast<int>(texts.size())) return "";
  return texts[code];
}

std::string TextOfLetter(const std::vector<LetterCode>& table, const std::string& letter) {
  for (const LetterCode& code : table) {
    if (code.letter == letter) return code.text;
  }
  return "";
}

int CodeNumber(const std::string& code) {
  int value = 0;
  for (char c : code) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool IsComponentBase(const std::string& base_type_text) {
  return base_type_text.compare(0, 10, "Composante") == 0;
}

namespace {

// The number's sign, whole part and fraction, when the text is written as a number.
struct NumberForm {
  bool negative = false;
  std::string whole;
  std::string fraction;
};

std::optional<NumberForm> FormOf(const std::string& text) {
  const std::string number = Trimmed(text);
  NumberForm form;
  size_t i = 0;
  if (i < number.size() && (number[i] == '-' || number[i] == '+'))
    form.negative = number[i++] == '-';
  while (i < number.size() && IsDigit(number[i])) form.whole += number[i++];
  if (i < number.size() && (number[i] == ',' || number[i] == '.')) {
    ++i;
    while (i < number.size() && IsDigit(number[i])) form.fraction += number[i++];
  }
  if (i != number.size() || form.whole.size() + form.fraction.size() == 0) return std::nullopt;
  return form;
}

}  // namespace

std::optional<size_t> WholePartDigits(const std::string& text) {
  std::optional<NumberForm> form = FormOf(text);
  if (!form) return std::nullopt;
  const size_t first = form->whole.find_first_not_of('0');
  return first == std::string::npos ? 0 : form->whole.size() - first;
}

std::optional<double> ParseFrenchNumber(const std::string& text) {
  std::optional<NumberForm> form = FormOf(text);
  if (!form) return std::nullopt;
  const std::string number = form->whole + "." + form->fraction;
  // from_chars ignores the locale, so a host that changed it cannot move the decimal point.
  double value = 0;
  auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Too small for a double is zero to every field; too large cannot be held at all.
    if (*WholePartDigits(text) > 0) return std::nullopt;
    value = 0;
  } else if (ec != std::errc() || end != number.data() + number.size()) {
    return std::nullopt;
  }
  return form->negative ? -value : value;
}

double FrenchNumber(const std::string& text) {
  std::optional<double> value = ParseFrenchNumber(text);
  if (!value) throw NotANumber(text);
  return *value;
}

long StoredInteger(const std::string& text) {
  std::optional<double> value = ParseFrenchNumber(text);
  // An integral value written with decimals ("5.0") is still that integer; a fraction is not a
  // code of ours, so it is refused rather than silently rounded.
  constexpr double kLongLimit = -static_cast<double>(std::numeric_limits<long>::min());
  if (!value || *value != std::trunc(*value) || *value < -kLongLimit || *value >= kLongLimit) {
    throw NotANumber(text);
  }
  return static_cast<long>(*value);
}

std::string FrenchText(double value) {
  if (value == 0) return "0";  // also turns -0 into "0"
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  std::string text = Positional(buffer);
  for (char& c : text) {
    if (c == '.') c = ',';
  }
  return text;
}

std::string ScaledFromScreen(const std::string& screen_text, double scale) {
  if (screen_text.empty()) return "";
  return DBADynArray::NumberText(FrenchNumber(screen_text) * scale);
}

double UnscaledFromStore(const std::string& stored, double scale) {
  std::optional<double> value = ParseFrenchNumber(stored);
  if (!value) {
    // A very large or very small stored number may be in exponent form.
    std::string trimmed = Trimmed(stored);
    bool exponent_form = trimmed.find_first_of("eE") != std::string::npos &&
                         trimmed.find_first_not_of("0123456789+-.eE") == std::string::npos;
    double parsed = 0;
    auto [end, ec] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), parsed);
    if (!exponent_form || ec != std::errc() || end != trimmed.data() + trimmed.size()) {
      throw NotANumber(stored);
    }
    value = parsed;
  }
  return *value / scale;
}

std::string UpperCase(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    unsigned char next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (c >= 'a' && c <= 'z') {
      result += static_cast<char>(c - 'a' + 'A');
    } else if (c == 0xC3 && next >= 0xA0 && next <= 0xBE && next != 0xB7) {
      // à..þ (U+00E0..U+00FE, not ÷) sit 0x20 above their capitals in the same lead byte.
      result += static_cast<char>(c);
      result += static_cast<char>(next - 0x20);
      ++i;
    } else if (c == 0xC3 && next == 0xBF) {
      result += "\xC5\xB8";  // ÿ -> Ÿ (U+0178)
      ++i;
    } else if (c == 0xC5 && next == 0x93) {
      result += "\xC5\x92";  // œ -> Œ
      ++i;
    } else {
      result += static_cast<char>(c);
    }
  }
  return result;
}

}  // namespace talvero::records
