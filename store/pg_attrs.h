#pragma once
// The attributes the server store keeps apart from a record's text, for its lists.
//
// Each file lists the attributes past the first that its lists read (files.listed, learnt from
// the queries). The list only grows, at its end, so an attribute keeps its place in it for good.
// A short record keeps the values of those attributes, in the list's order and joined by
// attribute marks (an attribute past the text's end as empty), in records.listed_attrs, a column
// carried by the index of attribute 1: a list reads them without the table. A change of any other
// attribute (an amount) leaves the column as it was, so the server rewrites the record in place
// with its indexes untouched. A long record keeps none (NULL).
//
// Client and server cut alike: the client sends the values with each write, the server's
// talvero_listed_attrs cuts them again for a write made with a list that has grown since.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvero::store {

// A text is short, and keeps its listed attributes apart, when its length plus four bytes per
// attribute stays within this: an index entry holds at most about 2700 bytes.
inline constexpr size_t kMostBytesCut = 600;

// A list of attributes as the server writes an integer[] in text form ("{18,2}"), and back.
std::string ListedText(const std::vector<int>& listed);
std::vector<int> ParseListed(std::string_view text);

// Whether every attribute of attrs is listed.
bool AllListed(const std::vector<int>& listed, const std::vector<int>& attrs);

// What a text keeps in listed_attrs for that list; nothing for a text that is not short.
std::optional<std::string> ListedAttrs(std::string_view text, const std::vector<int>& listed);

// The values of the attributes numbered as numbers, all listed, out of what a record keeps in
// listed_attrs for a list that starts with listed (the server's may have grown since).
void PickListed(std::string_view listed_attrs, const std::vector<int>& listed,
                const std::vector<int>& numbers, std::string_view* values);

// A one-dimension array of bytea or boolean in the server's binary form.
inline constexpr unsigned kByteaType = 17;
inline constexpr unsigned kBooleanType = 16;
std::string BinaryArray(const std::vector<std::string_view>& elements, unsigned type);

}  // namespace talvero::store
