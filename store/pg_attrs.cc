#include "store/pg_attrs.h"

#include <algorithm>
#include <cstdint>

#include "gateways/dyn_array.h"

namespace talvero::store {

namespace {

void AppendInt32(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

// The attributes of a text, attribute 1 first.
std::vector<std::string_view> Attributes(std::string_view text) {
  std::vector<std::string_view> attrs;
  for (size_t start = 0;;) {
    size_t mark = text.find(kAttrMark, start);
    attrs.push_back(text.substr(start, mark == text.npos ? text.npos : mark - start));
    if (mark == text.npos) return attrs;
    start = mark + 1;
  }
}

}  // namespace

std::string ListedText(const std::vector<int>& listed) {
  std::string text = "{";
  for (int attr : listed) text += (text.size() > 1 ? "," : "") + std::to_string(attr);
  return text + "}";
}

std::vector<int> ParseListed(std::string_view text) {
  std::vector<int> listed;
  int value = -1;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      value = (value < 0 ? 0 : value * 10) + (c - '0');
    } else if (value >= 0) {
      listed.push_back(value);
      value = -1;
    }
  }
  return listed;
}

bool AllListed(const std::vector<int>& listed, const std::vector<int>& attrs) {
  return std::all_of(attrs.begin(), attrs.end(), [&](int attr) {
    return std::find(listed.begin(), listed.end(), attr) != listed.end();
  });
}

std::optional<std::string> ListedAttrs(std::string_view text, const std::vector<int>& listed) {
  const std::vector<std::string_view> attrs = Attributes(text);
  if (text.size() + 4 * attrs.size() > kMostBytesCut) return std::nullopt;
  std::string kept;
  for (size_t k = 0; k < listed.size(); ++k) {
    if (k > 0) kept += kAttrMark;
    if (listed[k] >= 1 && static_cast<size_t>(listed[k]) <= attrs.size()) {
      kept += attrs[listed[k] - 1];
    }
  }
  return kept;
}

void PickListed(std::string_view listed_attrs, const std::vector<int>& listed,
                const std::vector<int>& numbers, std::string_view* values) {
  std::fill(values, values + numbers.size(), std::string_view());
  size_t start = 0;
  for (int attr : listed) {
    const size_t mark = listed_attrs.find(kAttrMark, start);
    const size_t end = mark == listed_attrs.npos ? listed_attrs.size() : mark;
    for (size_t k = 0; k < numbers.size(); ++k) {
      if (numbers[k] == attr) values[k] = listed_attrs.substr(start, end - start);
    }
    if (mark == listed_attrs.npos) break;
    start = mark + 1;
  }
}

std::string BinaryArray(const std::vector<std::string_view>& elements, unsigned type) {
  std::string array;
  for (uint32_t header :
       {1u, 0u, static_cast<uint32_t>(type), static_cast<uint32_t>(elements.size()), 1u}) {
    AppendInt32(array, header);
  }
  for (std::string_view element : elements) {
    AppendInt32(array, static_cast<uint32_t>(element.size()));
    array += element;
  }
  return array;
}

}  // namespace talvero::store
