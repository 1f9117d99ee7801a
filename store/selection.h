#pragma once
// Answers one query request of the database component from the record table.
//
// The request is the whole text of a DBADynArray: attribute 1 the sentence (store/query.h),
// attribute 2 the file name (may be empty; otherwise it must be the sentence's file), attribute 3
// the wanted attribute numbers separated by blanks ("0 1 18", 0 or "@ID" is the id; none given
// means the id alone).
//
// The result has one attribute per selected record, in the sentence's order: SSELECT and SELECT
// without PAR by id, PAR by that attribute's whole text in byte order, then by id. Value k of a
// row is the k-th wanted attribute of its record, whose value marks become sub-value marks.
// Nothing is returned before the whole request has been checked and the selection finished.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "store/record_table.h"

namespace talvero::store {

// Where a selection reads its records: the files of one backend.
class RecordSource {
 public:
  using Visitor = std::function<void(std::string_view id, std::string_view text)>;
  virtual ~RecordSource() = default;
  virtual bool HasFile(const std::string& file) = 0;
  // Calls visit for every record of the file in the access range (and possibly others), all read
  // from one snapshot.
  virtual void Scan(const std::string& file, const Access& access, const Visitor& visit) = 0;
};

struct Selection {
  std::string text;   // whole text of the result
  int32_t count = 0;  // records selected
};

// The same answer whichever backend the source reads: the backends only narrow the candidates.
// Raises ComponentError: kErrBadQuery for a malformed request, kErrNoSuchFile for a file the
// database does not hold.
Selection Select(RecordSource& source, const std::string& request);
Selection Select(RecordTable& table, const std::string& request);

}  // namespace talvero::store
