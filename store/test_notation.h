#pragma once
// For tests: record texts written in the readable notation, "^" between attributes, "]" between
// values and "\" between sub-values.
#include <string>

#include "gateways/dyn_array.h"

namespace talvero::store {

inline std::string Marks(const std::string& readable) {
  std::string text;
  for (char c : readable) {
    text += c == '^' ? kAttrMark : c == ']' ? kValueMark : c == '\\' ? kSubMark : c;
  }
  return text;
}

inline std::string Readable(const std::string& text) {
  std::string readable;
  for (char c : text) {
    readable += c == kAttrMark ? '^' : c == kValueMark ? ']' : c == kSubMark ? '\\' : c;
  }
  return readable;
}

}  // namespace talvero::store
