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

// The writer lock of the store: one advisory lock per schema, released with the transaction.
// Transactions hold it alone; a single write outside one shares it with the other single writes,
// which follow each other on the record's own row, so that it waits for the transactions.
inline constexpr const char* kWriterLock =
    "SELECT pg_advisory_xact_lock(7410, hashtext(current_schema()))";
inline constexpr const char* kSharedWriterLock =
    "pg_advisory_xact_lock_shared(7410, hashtext(current_schema()))";

// Makes the store's tables and first files unless they are there, and brings a store of an
// earlier layout up to date. A second process opening the same new store waits, and only the one
// that made the tables adds the files.
void OpenSchema(PgConnection& connection, OpenMode mode);

}  // namespace talvero::store
