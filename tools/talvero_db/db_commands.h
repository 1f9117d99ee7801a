#pragma once
// The commands of talvero-db, the store's command-line tool, on an open store of either backend.
//
// Records travel as lines `FILE ID "TEXT"`: TEXT in the record notation of scenario files ("^"
// between attributes, "]" between values, "\" between sub-values; inside the quotes \" is a quote
// and \\ a backslash). Blank lines and lines starting with "#" are skipped on import.
//
// Every command raises CommandError for a fault of its input or of the store, with a text for the
// operator; ComponentError from the store passes through.
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "store/store.h"

namespace talvero::dbtool {

class CommandError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads every line first, then stores them all in one transaction: a bad line (its number is in
// the error) or a refused write stores nothing. Returns the number of records stored.
int Import(store::Store& store, std::istream& in);
// Every record of every file, files and ids in byte order. A record whose text or id the notation
// cannot carry (a literal "^", "]" or "\", a blank or a quote in the id) stops the export.
void Export(store::Store& store, std::ostream& out);
// One line per selected record: its values (the wanted attributes) in the notation.
void Query(store::Store& store, const std::string& sentence, const std::string& wanted,
           std::ostream& out);
// One line per version: number, time (UTC), operator, text before, text after ("-" for none).
void History(store::Store& store, const std::string& file, const std::string& id,
             std::ostream& out);
// What would stop the operator: faults of the store, a counter behind the codes already given,
// entry items the screen would refuse to open. One line each; empty when all is well.
std::vector<std::string> Check(store::Store& store);

}  // namespace talvero::dbtool
