#pragma once
// A catalogue file: records to put in a store, one per line, in the record notation of the
// scenario files. Used to build the demo store, and by anyone who wants to load a store by hand.
//
//   FILE ID "TEXT"                   the record's whole text ("^" attributes, "]" values)
//   FILE ID N="TEXT" [N="TEXT" ...]  the record attribute by attribute; the others are empty
//
// Blank lines and lines whose first non-blank character is "#" are skipped. A string is in double
// quotes with \" for a quote and \\ for a backslash.
#include <stdexcept>
#include <string>
#include <vector>

#include "store/sqlite_store.h"

namespace talvero::host {

// One record of a catalogue, its text already in the stored form (with the real marks).
struct CatalogueRecord {
  std::string file;
  std::string id;
  std::string stored_text;
  int line = 0;
};

// A line that is not a record. what() starts with "line N: ".
class CatalogueError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a whole catalogue. Throws CatalogueError at the first line that is not a record, before
// anything is stored.
std::vector<CatalogueRecord> ReadCatalogue(const std::string& content);

// Stores every record, in the file's order (a later line replaces an earlier one of the same id).
// A file the store does not hold is created first.
void LoadCatalogue(store::SqliteDatabase& database, const std::vector<CatalogueRecord>& records);

}  // namespace talvero::host
