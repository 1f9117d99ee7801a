#pragma once
// The record notation of scenario files: "^" between attributes, "]" between values and "\"
// between sub-values, standing for the marks of a stored record's whole text
// (gateways/dyn_array.h). Scenario authors cannot type the mark bytes, and a failing check must
// print something readable.
#include <string>

namespace talvero::replay {

// "A^B]C" -> the stored text with the attribute and value marks.
std::string StoredFromNotation(const std::string& notation);
// The stored text written back in the notation.
std::string NotationFromStored(const std::string& stored);

// Drops the empty values at the end of every attribute, then the empty attributes at the end, so
// that "A]^B^^" becomes "A^B". Works on the notation.
std::string TrimmedNotation(const std::string& notation);

// Whether two texts in the notation name the same record once trailing empty attributes and
// values are ignored on both sides.
bool SameRecordText(const std::string& a, const std::string& b);

// A text in double quotes with `"` and `\` escaped, as a scenario would write it.
std::string Quoted(const std::string& text);

}  // namespace talvero::replay
