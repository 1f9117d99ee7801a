#pragma once
// The server store's tables, its server functions, and the rewriting of stores of earlier
// layouts, once, when a program of this version first opens them.
//
//   files    (name, listed)  listed: the attributes past the first that the file's lists read
//   records  (file, id, body, attr1, attr1_multivalued, attrs)  see pg_attrs.h for attrs
//   journal  (seq, file, id, at, operator, after)  one row per write or delete, in the order of
//            the writes; a record's versions are its rows in seq order, and the text before a
//            version is the text after the one before it (none for its first)
#include "store/pg_connection.h"
#include "store/store.h"

namespace talvero::store {

// The writer lock of the store, taken first by every transaction: it conflicts with the lock any
// write of a record takes on the table, so that a transaction's read-advance-write never
// interleaves with another write, on any machine, while writes outside transactions (one
// statement each) follow each other only on the record's own row. Readers never wait.
inline constexpr const char* kWriterLock = "LOCK TABLE records IN SHARE ROW EXCLUSIVE MODE";

// Makes the store's tables and first files unless they are there, and brings a store of an
// earlier layout up to date. A second process opening the same new store waits, and only the one
// that made the tables adds the files.
void OpenSchema(PgConnection& connection, OpenMode mode);

}  // namespace talvero::store
