#pragma once
// Query sentences of the record store: their grammar, the test of one record against them and the
// choice of the index that gives the candidate records.
//
//   ("SSELECT" | "SELECT") FILE { ("AVEC" | "SANS") ATTR ("=" | "<>") "VALUE" [ "AND" ] }
//   [ "PAR" ATTR ]
//
// Words are separated by blanks and written in capitals. ATTR is a decimal attribute number or
// "@ID" (0 is the id). VALUE is double-quoted and cannot hold a double quote; a final "]" inside
// the quotes makes the condition a "starts with" test. "AND" between two conditions may be left
// out; after an "AND" a condition must follow. "PAR" comes last, once.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvero::store {

struct Condition {
  bool with = true;     // AVEC (some value passes) or SANS (no value passes)
  int attr = 0;         // 0 is the id
  bool equal = true;    // "=" or "<>"
  std::string value;    // without the final "]" of a prefix
  bool prefix = false;  // the quoted value ended with "]"
};

struct Query {
  bool sorted = true;  // SSELECT or SELECT
  std::string file;
  std::vector<Condition> conditions;
  std::optional<int> sort_attr;  // PAR
};

// Parses a sentence. Raises ComponentError(kErrBadQuery) naming the fault for anything outside
// the grammar.
Query ParseQuery(const std::string& sentence);

// Attribute `attr` (1 and up) of a record's whole text; "" when the record has fewer.
std::string_view AttributeOf(std::string_view record, int attr);

// A record as a scan reads it: its id, its attribute 1 and, when it was read, its whole text, or
// else some of its attributes past the first, read one by one (values[k] is attribute
// numbers[k]).
struct RecordView {
  std::string_view id;
  std::string_view attr1;
  std::string_view body;
  bool attr1_multivalued = true;  // false when attribute 1 is known to hold one value
  const std::vector<int>* numbers = nullptr;
  const std::string_view* values = nullptr;
  // Attribute attr, 0 being the id; attributes from 2 on need the whole text, or to be among
  // those read one by one.
  std::string_view Attribute(int attr) const {
    if (attr == 0) return id;
    if (attr == 1) return attr1;
    if (numbers != nullptr) {
      for (size_t k = 0; k < numbers->size(); ++k) {
        if ((*numbers)[k] == attr) return values[k];
      }
    }
    return AttributeOf(body, attr);
  }
};

// True when the record meets every condition of the query.
bool Matches(const Query& query, const RecordView& record);
// The same for a record given by its id and whole text.
bool Matches(const Query& query, std::string_view id, std::string_view record);

// How the candidate records are fetched: every record of the file, or an index range on the id
// or on attribute 1. The range holds every record that can meet the query, and possibly others.
struct Access {
  enum Kind { kAllRecords, kIdRange, kAttr1Range };
  Kind kind = kAllRecords;
  std::string key;  // the value sought, or the prefix
  bool prefix = false;
};

// What a scan reads of each record, and in which order it hands the records out. Ordered by
// attribute 1 means by its whole text in byte order, then by id.
struct ScanShape {
  Access access;
  enum Order { kAnyOrder, kById, kByAttr1 } order = kAnyOrder;
  bool body = true;  // the whole text; without it only the id and attribute 1 are read
  // The attributes past the first that the selection reads (wanted, sorted on or tested), in
  // increasing order: a source may read those alone rather than the whole text.
  std::vector<int> attrs;
};

// Picks the narrowest index range implied by a positive condition ("AVEC 0 = ..." or
// "AVEC 1 = ..."); every condition is still checked by Matches afterwards.
Access ChooseAccess(const Query& query);

}  // namespace talvero::store
