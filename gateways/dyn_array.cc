#include "gateways/dyn_array.h"

#include <charconv>
#include <cmath>

#include "gateways/dba_error.h"

namespace talvero {

namespace {

std::vector<std::string> Split(const std::string& text, char mark) {
  std::vector<std::string> parts;
  std::string::size_type start = 0;
  for (;;) {
    auto end = text.find(mark, start);
    if (end == std::string::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

std::string Join(const std::vector<std::string>& parts, char mark) {
  std::string text;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += mark;
    text += parts[i];
  }
  return text;
}

// Attribute and value numbers start at 1; -1 asks for a new last element. Anything else is a
// programming error of the caller, reported like an index outside a list.
void CheckIndex(int index, const char* what) {
  if (index == 0 || index < -1) {
    throw ComponentError(kErrSubscript, std::string("Indice ") + what +
                                            " invalide : " + std::to_string(index) + ".");
  }
}

// A mark in a part would end the part there and shift every later one.
void CheckNoMark(const std::string& text, const std::string& marks, const char* part) {
  if (text.find_first_of(marks) != std::string::npos) {
    throw ComponentError(kErrMarkInValue, std::string("Séparateur d'enregistrement dans ") + part +
                                              " : \"" + text + "\".");
  }
}

}  // namespace

std::string DBADynArray::Get() const {
  return Join(attrs_, kAttrMark);
}

void DBADynArray::Set(const std::string& text) {
  attrs_.clear();
  // An empty text is an array without attributes, so that DCount() of an empty result is 0.
  if (!text.empty()) attrs_ = Split(text, kAttrMark);
}

std::string DBADynArray::Get(int a) const {
  if (a == 0) return id_;
  if (a < 0 || a > static_cast<int>(attrs_.size())) return "";
  return attrs_[a - 1];
}

void DBADynArray::Set(int a, const std::string& text) {
  CheckIndex(a, "d'attribut");
  CheckNoMark(text, std::string(1, kAttrMark), "un attribut");
  if (a == -1) {
    attrs_.push_back(text);
    return;
  }
  if (a > static_cast<int>(attrs_.size())) attrs_.resize(a);
  attrs_[a - 1] = text;
}

std::string DBADynArray::Get(int a, int v) const {
  if (v <= 0) return "";
  std::string attr = Get(a);
  std::vector<std::string> values = Split(attr, kValueMark);
  if (v > static_cast<int>(values.size())) return "";
  return values[v - 1];
}

void DBADynArray::Set(int a, int v, const std::string& text) {
  CheckIndex(a, "d'attribut");
  CheckIndex(v, "de valeur");
  CheckNoMark(text, std::string{kAttrMark, kValueMark}, "une valeur");
  if (a == -1) {
    // A new attribute holds only the new value.
    attrs_.push_back(text);
    return;
  }
  std::string attr = Get(a);
  if (v == -1) {
    Set(a, attr.empty() ? text : attr + kValueMark + text);
    return;
  }
  std::vector<std::string> values = Split(attr, kValueMark);
  if (v > static_cast<int>(values.size())) values.resize(v);
  values[v - 1] = text;
  Set(a, Join(values, kValueMark));
}

void DBADynArray::SetNumber(int a, double value) {
  Set(a, NumberText(value));
}

void DBADynArray::SetNumber(int a, int v, double value) {
  Set(a, v, NumberText(value));
}

// The text keeps 15 significant digits, the most a double always holds exactly, so that the
// binary error of a product (12.5 * 100 = 1250.0000000000002) never reaches the record. It is
// written in fixed notation with a "." whatever the process locale, since records are shared.
std::string DBADynArray::NumberText(double value) {
  if (!std::isfinite(value)) {
    throw ComponentError(kErrConversion, "Nombre non représentable dans un enregistrement.");
  }
  char buffer[64];
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  std::string scientific(buffer, result.ptr);  // "-d.ddddddddddddde+XX"

  bool negative = scientific[0] == '-';
  if (negative) scientific.erase(0, 1);
  auto e_pos = scientific.find('e');
  int exponent = std::stoi(scientific.substr(e_pos + 1));
  std::string digits = scientific.substr(0, 1) + scientific.substr(2, e_pos - 2);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  if (digits == "0") return "0";  // also for -0 and for values that round to zero

  std::string text;
  if (exponent < 0) {
    text = "0." + std::string(-exponent - 1, '0') + digits;
  } else if (exponent + 1 >= static_cast<int>(digits.size())) {
    text = digits + std::string(exponent + 1 - digits.size(), '0');
  } else {
    text = digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
  }
  return negative ? "-" + text : text;
}

int DBADynArray::DCount() const {
  if (attrs_.size() == 1 && attrs_[0].empty()) return 0;
  return static_cast<int>(attrs_.size());
}

int DBADynArray::DCount(int a) const {
  std::string attr = Get(a);
  if (attr.empty()) return 0;
  return static_cast<int>(Split(attr, kValueMark).size());
}

void DBADynArray::DBWrite() {
  if (!sink_) {
    throw ComponentError(kErrNotBound,
                         "DBWrite impossible : l'enregistrement n'est lié à aucun fichier.");
  }
  sink_->WriteRecord(id_, Get());
}

void DBADynArray::Bind(std::shared_ptr<RecordSink> sink, std::string id) {
  sink_ = std::move(sink);
  id_ = std::move(id);
}

}  // namespace talvero
