#include "replay/notation.h"

#include <vector>

#include "gateways/dyn_array.h"

namespace talvero::replay {

namespace {

std::vector<std::string> Split(const std::string& text, char mark) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == mark)
      parts.emplace_back();
    else
      parts.back() += c;
  }
  return parts;
}

std::string Join(const std::vector<std::string>& parts, char mark) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += mark;
    out += parts[i];
  }
  return out;
}

void DropTrailingEmpty(std::vector<std::string>& parts) {
  while (!parts.empty() && parts.back().empty()) parts.pop_back();
}

}  // namespace

std::string StoredFromNotation(const std::string& notation) {
  std::string out = notation;
  for (char& c : out) {
    if (c == '^')
      c = kAttrMark;
    else if (c == ']')
      c = kValueMark;
    else if (c == '\\')
      c = kSubMark;
  }
  return out;
}

std::string NotationFromStored(const std::string& stored) {
  std::string out = stored;
  for (char& c : out) {
    if (c == kAttrMark)
      c = '^';
    else if (c == kValueMark)
      c = ']';
    else if (c == kSubMark)
      c = '\\';
  }
  return out;
}

std::string TrimmedNotation(const std::string& notation) {
  std::vector<std::string> attributes = Split(notation, '^');
  for (std::string& attribute : attributes) {
    std::vector<std::string> values = Split(attribute, ']');
    DropTrailingEmpty(values);
    attribute = Join(values, ']');
  }
  DropTrailingEmpty(attributes);
  return Join(attributes, '^');
}

bool SameRecordText(const std::string& a, const std::string& b) {
  return TrimmedNotation(a) == TrimmedNotation(b);
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace talvero::replay
