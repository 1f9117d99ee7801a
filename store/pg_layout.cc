#include "store/pg_layout.h"

#include <string>

#include "gateways/dba_error.h"
#include "store/pg_attrs.h"

namespace talvero::store {

namespace {

// The index of attribute 1 ends with the id and holds the listed attributes of the short records:
// a list in the order of attribute 1 reads the rows it returns, in order, from the index alone,
// without fetching each record from the table. A search by attribute 1 reads the records whose
// attribute 1 holds one value from a range of it, and merges in order those whose attribute 1
// holds several, which a range on the whole text cannot answer for one value, from their own
// index (usually empty).
const char* const kAttr1Indexes[] = {
    "CREATE INDEX records_by_attr1_in_order ON records (file, attr1, id) "
    "INCLUDE (attr1_multivalued, listed_attrs)",
    "CREATE INDEX records_attr1_multivalued ON records (file, attr1, id) INCLUDE (listed_attrs) "
    "WHERE attr1_multivalued",
};

// The journal is appended to: its only index leads with the record, so a write adds one entry at
// the end of its record's versions, and the history of a record is one range of it.
std::string JournalTable(const std::string& name) {
  return "CREATE TABLE " + name +
         " (seq bigint GENERATED ALWAYS AS IDENTITY, file text COLLATE \"C\" NOT NULL, "
         "id bytea NOT NULL, at timestamptz NOT NULL DEFAULT now(), operator text NOT NULL, "
         "after bytea, PRIMARY KEY (file, id, seq))";
}

// attr1 copies attribute 1 for its index; attr1_multivalued marks the records whose attribute 1
// holds several values, which a range on the whole text cannot answer for one value, so that
// queries on attribute 1 always add them to the candidates.
const char* const kTables[] = {
    "CREATE TABLE files (name text COLLATE \"C\" PRIMARY KEY, "
    "listed integer[] NOT NULL DEFAULT '{}')",
    "CREATE TABLE records (file text COLLATE \"C\" NOT NULL REFERENCES files (name), "
    "id bytea NOT NULL, body bytea NOT NULL, attr1 bytea NOT NULL, "
    "attr1_multivalued boolean NOT NULL, listed_attrs bytea, PRIMARY KEY (file, id))",
};

// The text cut at its attribute marks, on the server; NULL for a text that is not short. The
// limit of a short text is the client's own (kMostBytesCut), so both sides cut the same texts.
std::string AttrsFunction() {
  return "CREATE OR REPLACE FUNCTION talvero_attrs(p_body bytea) RETURNS bytea[] "
         "LANGUAGE plpgsql IMMUTABLE STRICT AS $$\n"
         "DECLARE v_attrs bytea[] := '{}'; v_rest bytea := p_body; v_at integer;\n"
         "BEGIN\n"
         "  LOOP\n"
         "    v_at := position('\\xfe'::bytea IN v_rest);\n"
         "    IF v_at = 0 THEN\n"
         "      v_attrs := v_attrs || v_rest;\n"
         "      IF octet_length(p_body) + 4 * cardinality(v_attrs) > " +
         std::to_string(kMostBytesCut) +
         " THEN RETURN NULL; END IF;\n"
         "      RETURN v_attrs;\n"
         "    END IF;\n"
         "    v_attrs := v_attrs || substring(v_rest FROM 1 FOR v_at - 1);\n"
         "    v_rest := substring(v_rest FROM v_at + 1);\n"
         "  END LOOP;\n"
         "END $$";
}

// The listed attributes of a text, as the client cuts them (pg_attrs.h): for the records already
// there when a file's list of attributes grows, and for a write made with a stale list.
constexpr const char* kListedAttrsFunction =
    "CREATE OR REPLACE FUNCTION talvero_listed_attrs(p_body bytea, p_listed integer[]) "
    "RETURNS bytea LANGUAGE plpgsql IMMUTABLE STRICT AS $$\n"
    "DECLARE v_all bytea[] := talvero_attrs(p_body); v_kept bytea; v_attr integer;\n"
    "BEGIN\n"
    "  IF v_all IS NULL THEN RETURN NULL; END IF;\n"
    "  FOREACH v_attr IN ARRAY p_listed LOOP\n"
    "    v_kept := CASE WHEN v_kept IS NULL THEN '' ELSE v_kept || '\\xfe'::bytea END "
    "|| coalesce(v_all[v_attr], '');\n"
    "  END LOOP;\n"
    "  RETURN coalesce(v_kept, '');\n"
    "END $$";

// What an earlier layout lacks, or has that this one no longer has.
struct Missing {
  bool attrs_function, listed_function, listed_attrs_column, listed_column, journal_by_version,
      attr1_index, cut_texts;
};

Missing WhatIsMissing(PgConnection& connection) {
  auto has_column = [](const char* table, const char* column) {
    return std::string("(EXISTS (SELECT 1 FROM pg_attribute WHERE attrelid = to_regclass('") +
           table + "') AND attname = '" + column + "' AND NOT attisdropped))";
  };
  PgResult missing = connection.Run(
      "SELECT (to_regprocedure('talvero_attrs(bytea)') IS NULL)::text, "
      "(to_regprocedure('talvero_listed_attrs(bytea, integer[])') IS NULL)::text, (NOT " +
      has_column("records", "listed_attrs") + ")::text, (NOT " + has_column("files", "listed") +
      ")::text, " + has_column("journal", "version") +
      "::text, (to_regclass('records_by_attr1_in_order') IS NULL)::text, " +
      has_column("records", "attrs") + "::text");
  auto is = [&](int column) { return missing.Value(0, column) == "true"; };
  return {is(0), is(1), is(2), is(3), is(4), is(5), is(6)};
}

// The journal of an earlier layout numbered each record's versions and kept the text before each:
// its rows are appended to the present journal record by record, version by version, so that a
// record's versions keep their order. The text before each was read under the same lock as the
// text after the one before it was written: it is that text, and need not be kept twice.
void RewriteJournal(PgConnection& connection) {
  connection.Run(JournalTable("journal_in_seq"));
  connection.Run(
      "INSERT INTO journal_in_seq (file, id, at, operator, after) "
      "SELECT file, id, at, operator, after FROM journal ORDER BY file, id, version");
  connection.Run("DROP TABLE journal");
  connection.Run("ALTER TABLE journal_in_seq RENAME TO journal");
  connection.Run("ALTER INDEX journal_in_seq_pkey RENAME TO journal_pkey");
}

// The programs of those layouts wrote through a function of the server, and through triggers cut
// the texts they wrote: all are gone, so that such a program now fails to write rather than
// writes a record whose journal or attributes this version would not read.
const char* const kEarlierWriters[] = {
    "DROP TRIGGER IF EXISTS records_attrs_on_insert ON records",
    "DROP TRIGGER IF EXISTS records_attrs_on_update ON records",
    "DROP FUNCTION IF EXISTS talvero_fill_attrs()",
    "DROP FUNCTION IF EXISTS talvero_write_v2",
    "DROP FUNCTION IF EXISTS talvero_write_v1",
};

// Each step for the layouts that lack it, in an order that lets the next one rely on it.
void BringUpToDate(PgConnection& connection) {
  const Missing missing = WhatIsMissing(connection);
  if (missing.attrs_function) connection.Run(AttrsFunction());
  if (missing.listed_function) connection.Run(kListedAttrsFunction);
  if (missing.journal_by_version) {
    for (const char* sql : kEarlierWriters) connection.Run(sql);
    RewriteJournal(connection);
  }
  // The whole texts cut apart, of the layout before: the index holding them goes with them.
  if (missing.cut_texts) connection.Run("ALTER TABLE records DROP COLUMN attrs");
  if (missing.listed_column) {
    connection.Run("ALTER TABLE files ADD COLUMN listed integer[] NOT NULL DEFAULT '{}'");
  }
  if (missing.listed_attrs_column) {
    connection.Run("ALTER TABLE records ADD COLUMN listed_attrs bytea");
    connection.Run(
        "UPDATE records r SET listed_attrs = talvero_listed_attrs(r.body, f.listed) FROM files f "
        "WHERE f.name = r.file");
  }
  if (missing.attr1_index) {
    for (const char* sql : kAttr1Indexes) connection.Run(sql);
    for (const char* index : {"records_by_attr1_listed", "records_by_attr1_attrs",
                              "records_by_attr1_id", "records_by_attr1"}) {
      connection.Run(std::string("DROP INDEX IF EXISTS ") + index);
    }
  }
}

}  // namespace

void OpenSchema(PgConnection& connection, OpenMode mode) {
  const std::string& schema = connection.Schema();
  connection.Begin();
  try {
    if (schema.empty()) {
      // Without a schema of ours, the first of the connection's search path must exist.
      if (connection.Run("SELECT current_schema()").IsNull(0, 0)) {
        throw ComponentError(kErrStorage,
                             "Le schéma choisi par la connexion (search_path) n'existe pas.");
      }
      connection.Run("SELECT pg_advisory_xact_lock(7410, hashtext(current_schema()))");
    } else {
      connection.Run("SELECT pg_advisory_xact_lock(7410, hashtext($1))", {PgParam::Text(schema)});
    }
    bool is_new =
        connection.Run("SELECT (to_regclass('files') IS NULL)::text").Value(0, 0) == "true";
    if (is_new && mode == OpenMode::kExisting) {
      throw ComponentError(kErrStorage, "Aucune base d'enregistrements à cette adresse.");
    }
    if (is_new) {
      // A plain name, checked by the connection: never text from a record or a sentence.
      if (!schema.empty()) connection.Run("CREATE SCHEMA IF NOT EXISTS " + schema);
      for (const char* sql : kTables) connection.Run(sql);
      for (const char* sql : kAttr1Indexes) connection.Run(sql);
      connection.Run(JournalTable("journal"));
      for (const std::string& file : FirstFiles()) {
        connection.Run("INSERT INTO files (name) VALUES ($1)", {PgParam::Text(file)});
      }
    }
    BringUpToDate(connection);
  } catch (...) {
    connection.End(false);
    throw;
  }
  connection.End(true);
}

}  // namespace talvero::store
