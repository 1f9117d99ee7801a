#include "store/pg_store.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <set>
#include <string>

#include "gateways/dba_error.h"
#include "gateways/dyn_array.h"
#include "store/pg_connection.h"
#include "store/selection.h"

namespace talvero::store {

namespace {

// The index of attribute 1 ends with the id and holds the cut text of the short records: a search
// by attribute 1, or a list in its order, reads the rows it returns, in the order asked, from the
// index alone, without fetching each record from the table.
constexpr const char* kAttr1Index =
    "CREATE INDEX records_by_attr1_attrs ON records (file, attr1_multivalued, attr1, id) "
    "INCLUDE (attrs)";

// attr1 copies attribute 1 for its index; attr1_multivalued marks the records whose attribute 1
// holds several values, which a range on the whole text cannot answer for one value, so that
// queries on attribute 1 always add them to the candidates. attrs holds the text cut at its
// attribute marks (attrs[k] is attribute k), for the texts short enough to be held in the index
// of attribute 1 too (NULL for the others): a query reading a few attributes has the server send
// those alone, taken by an array subscript, rather than the whole text.
const char* const kSchema[] = {
    "CREATE TABLE files (name text COLLATE \"C\" PRIMARY KEY)",
    "CREATE TABLE records (file text COLLATE \"C\" NOT NULL REFERENCES files (name), "
    "id bytea NOT NULL, body bytea NOT NULL, attr1 bytea NOT NULL, "
    "attr1_multivalued boolean NOT NULL, attrs bytea[], PRIMARY KEY (file, id))",
    kAttr1Index,
    "CREATE TABLE journal (file text COLLATE \"C\" NOT NULL, id bytea NOT NULL, "
    "version integer NOT NULL, at timestamptz NOT NULL DEFAULT now(), "
    "operator text NOT NULL, before bytea, after bytea, PRIMARY KEY (file, id, version))",
};

// The writer lock of the store: one advisory lock per schema, released with the transaction.
constexpr const char* kWriterLock =
    "SELECT pg_advisory_xact_lock(7410, hashtext(current_schema()))";

// A text is short, and kept cut in attrs, when its length plus four bytes per attribute stays
// within this: an index entry holds at most about 2700 bytes.
constexpr size_t kMostBytesCut = 600;

// The text cut at its attribute marks, on the server: for the records of a store made before the
// attrs column, and for those written by an older program that does not send them (the triggers
// below). The store itself sends them with each write. NULL for a text that is not short.
// The limit of a short text is the client's own (kMostBytesCut), so both sides cut the same texts.
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

// A write that gives no attrs (an insert without them, an update of the text alone) gets them
// from the text; a long text gets none either way.
const char* const kAttrsTriggers[] = {
    "CREATE OR REPLACE FUNCTION talvero_fill_attrs() RETURNS trigger LANGUAGE plpgsql AS $$\n"
    "BEGIN NEW.attrs := talvero_attrs(NEW.body); RETURN NEW; END $$",
    "CREATE TRIGGER records_attrs_on_insert BEFORE INSERT ON records FOR EACH ROW "
    "WHEN (NEW.attrs IS NULL) EXECUTE FUNCTION talvero_fill_attrs()",
    "CREATE TRIGGER records_attrs_on_update BEFORE UPDATE ON records FOR EACH ROW "
    "WHEN (NEW.body IS DISTINCT FROM OLD.body AND NEW.attrs IS NOT DISTINCT FROM OLD.attrs) "
    "EXECUTE FUNCTION talvero_fill_attrs()",
};

// A record's write on the server: the writer lock, the text stored now, the record stored or
// deleted (a NULL body), the journal's version with the texts before and after. In one function
// so that a write outside a transaction is one statement, so one round trip, committed on its
// own. The function is VOLATILE: each of its statements takes a fresh snapshot, so the text
// before is read after the lock is held and no other writer's version can slip in between. False
// when nothing was written (an existing id with only_new, or a deletion of a missing record).
constexpr const char* kWriteFunction =
    "CREATE OR REPLACE FUNCTION talvero_write_v2(p_file text, p_id bytea, p_body bytea, "
    "p_attr1 bytea, p_multivalued boolean, p_attrs bytea[], p_operator text, "
    "p_only_new boolean) "
    "RETURNS boolean LANGUAGE plpgsql VOLATILE AS $$\n"
    "DECLARE v_before bytea; v_found boolean;\n"
    "BEGIN\n"
    "  PERFORM pg_advisory_xact_lock(7410, hashtext(current_schema()));\n"
    "  SELECT body INTO v_before FROM records WHERE file = p_file AND id = p_id;\n"
    "  v_found := FOUND;\n"
    "  IF p_body IS NULL THEN\n"
    "    IF NOT v_found THEN RETURN false; END IF;\n"
    "    DELETE FROM records WHERE file = p_file AND id = p_id;\n"
    "  ELSE\n"
    "    IF v_found AND p_only_new THEN RETURN false; END IF;\n"
    "    INSERT INTO records (file, id, body, attr1, attr1_multivalued, attrs) "
    "VALUES (p_file, p_id, p_body, p_attr1, p_multivalued, p_attrs) ON CONFLICT (file, id) "
    "DO UPDATE SET body = excluded.body, attr1 = excluded.attr1, "
    "attr1_multivalued = excluded.attr1_multivalued, attrs = excluded.attrs;\n"
    "  END IF;\n"
    "  INSERT INTO journal (file, id, version, operator, before, after) "
    "SELECT p_file, p_id, coalesce(max(version), 0) + 1, p_operator, v_before, p_body "
    "FROM journal WHERE file = p_file AND id = p_id;\n"
    "  RETURN true;\n"
    "END $$";
constexpr const char* kWriteFunctionSignature =
    "talvero_write_v2(text, bytea, bytea, bytea, boolean, bytea[], text, boolean)";
constexpr const char* kWriteCall = "SELECT talvero_write_v2($1, $2, $3, $4, $5, $6, $7, $8)::text";

// A query reading more attributes than this reads the whole text instead.
constexpr size_t kMostAttributesApart = 8;

void AppendInt32(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

uint32_t ReadInt32(std::string_view in, size_t at) {
  uint32_t value = 0;
  for (size_t k = 0; k < 4; ++k) value = (value << 8) | static_cast<unsigned char>(in[at + k]);
  return value;
}

// A one-dimension array in the server's binary form: dimensions, no NULLs, the element type
// (17 bytea, 16 boolean), then each element's length and bytes.
std::string BinaryArray(const std::vector<std::string_view>& elements, uint32_t type) {
  std::string array;
  for (uint32_t header : {1u, 0u, type, static_cast<uint32_t>(elements.size()), 1u}) {
    AppendInt32(array, header);
  }
  for (std::string_view element : elements) {
    AppendInt32(array, static_cast<uint32_t>(element.size()));
    array += element;
  }
  return array;
}
constexpr uint32_t kByteaType = 17;
constexpr uint32_t kBooleanType = 16;

// The text cut at its attribute marks, as a bytea[]: always one element at least, as the server's
// talvero_attrs gives; nothing for a text that is not short.
std::optional<std::string> AttrsArray(std::string_view text) {
  std::vector<std::string_view> attrs;
  for (size_t start = 0;;) {
    size_t mark = text.find(kAttrMark, start);
    attrs.push_back(text.substr(start, mark == text.npos ? text.npos : mark - start));
    if (mark == text.npos) break;
    start = mark + 1;
  }
  if (text.size() + 4 * attrs.size() > kMostBytesCut) return std::nullopt;
  return BinaryArray(attrs, kByteaType);
}

// Many records of one file written by one statement, each journaled as a write of its own: $1
// the file, $2 the operator, then arrays of the ids, texts, attributes 1 and their marks. The
// server cuts the texts (the trigger on insert). The writer lock is held by the transaction
// around, so the texts before read here are the current ones.
constexpr const char* kBatchWrite =
    "WITH input AS (SELECT * FROM unnest($3::bytea[], $4::bytea[], $5::bytea[], $6::boolean[]) "
    "AS t (id, body, attr1, multivalued)), "
    "journaled AS (INSERT INTO journal (file, id, version, operator, before, after) "
    "SELECT $1, i.id, coalesce((SELECT max(version) FROM journal j WHERE j.file = $1 "
    "AND j.id = i.id), 0) + 1, $2, r.body, i.body "
    "FROM input i LEFT JOIN records r ON r.file = $1 AND r.id = i.id) "
    "INSERT INTO records (file, id, body, attr1, attr1_multivalued) "
    "SELECT $1, id, body, attr1, multivalued FROM input ON CONFLICT (file, id) DO UPDATE "
    "SET body = excluded.body, attr1 = excluded.attr1, "
    "attr1_multivalued = excluded.attr1_multivalued, attrs = excluded.attrs";

// The elements of a one-dimension bytea[] in binary form, joined again by attribute marks: the
// text they were cut from.
std::optional<std::string> JoinedAttrs(std::string_view array) {
  if (array.size() < 20 || ReadInt32(array, 0) != 1 || ReadInt32(array, 8) != 17) {
    return std::nullopt;
  }
  std::string text;
  size_t at = 20;
  for (uint32_t k = 0, count = ReadInt32(array, 12); k < count; ++k) {
    if (at + 4 > array.size()) return std::nullopt;
    uint32_t length = ReadInt32(array, at);
    at += 4;
    if (length == 0xFFFFFFFF || at + length > array.size()) return std::nullopt;
    if (k > 0) text += kAttrMark;
    text += array.substr(at, length);
    at += length;
  }
  return text;
}

PgParam Bytes(std::string_view bytes) {
  return PgParam::Bytes(bytes);
}
PgParam Text(std::string_view text) {
  return PgParam::Text(text);
}
PgParam OptionalBytes(const std::optional<std::string>& bytes) {
  return bytes ? PgParam::Bytes(*bytes) : PgParam::Null();
}

[[noreturn]] void NoSuchFile(const std::string& file) {
  throw ComponentError(kErrNoSuchFile, "Le fichier " + file + " n'existe pas.");
}

// The statement fetching the candidates of an access; parameters: $1 the file, $2 the value or
// the start of the prefix range, $3 its end. One statement, so one snapshot.
std::string ScanStatement(const Access& access) {
  const std::string select = "SELECT id, body FROM records WHERE file = $1";
  auto range = [&](const std::string& column) {
    if (!access.prefix) return " AND " + column + " = $2";
    std::string sql = " AND " + column + " >= $2";
    if (PrefixEnd(access.key)) sql += " AND " + column + " < $3";
    return sql;
  };
  switch (access.kind) {
    case Access::kIdRange:
      return select + range("id");
    case Access::kAttr1Range:
      return select + " AND NOT attr1_multivalued" + range("attr1") + " UNION ALL " + select +
             " AND attr1_multivalued";
    case Access::kAllRecords:
      break;
  }
  return select;
}

// The same candidates in the order a selection asks, with the whole text only when it needs it:
// the server sorts (bytea compares bytes, as the sentences do) and sends no more than is read.
// The file's name as a Unicode-escaped literal made of hex digits only: nothing of the name's own
// text reaches the statement, yet the planner sees the very file it plans for.
std::string FileLiteral(const std::string& file) {
  CheckFileName(file);  // well-formed UTF-8, so every character decodes whole
  std::string literal = "U&'";
  for (size_t i = 0; i < file.size();) {
    const auto lead = static_cast<unsigned char>(file[i]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    uint32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (int k = 1; k < length; ++k) code = (code << 6) | (file[i + k] & 0x3F);
    char escaped[16];
    std::snprintf(escaped, sizeof escaped, "\\+%06X", static_cast<unsigned>(code));
    literal += escaped;
    i += length;
  }
  return literal + "'";
}

// Whether a scan of that shape reads its attributes past the first one by one.
bool ReadsAttributesApart(const ScanShape& shape) {
  return !shape.attrs.empty() && shape.attrs.size() <= kMostAttributesApart;
}

// The columns a scan reads: the id and attribute 1, then the attributes asked (an attribute past
// the array's end is NULL, which reads as empty), or the whole text. The cut text is in the index
// of attribute 1, so a scan in its order reads no table row but those of long records, which are
// not cut: for those the first attribute's column holds an attribute mark and the whole text, a
// value no attribute can have (no extra column, which would cost as much as an attribute).
std::string ScanColumns(const ScanShape& shape) {
  std::string columns = "id, attr1";
  if (ReadsAttributesApart(shape)) {
    for (int attr : shape.attrs) {
      std::string subscript = "attrs[" + std::to_string(attr) + "]";
      if (attr != shape.attrs.front()) {
        columns += ", " + subscript;
        continue;
      }
      columns +=
          ", CASE WHEN attrs IS NULL THEN '\\xfe'::bytea || (SELECT body FROM records whole "
          "WHERE whole.file = records.file AND whole.id = records.id) ELSE " +
          subscript + " END";
    }
  } else if (shape.body) {
    columns += ", body";
  }
  return columns;
}

// The file is written into the statement, not passed: each file gets a plan of its own, made
// with its own statistics (the catalogue's 999 items are not read like a chart of a million
// accounts). Parameters: $1 the value or the start of the prefix range, $2 its end.
// In the order of attribute 1, the records whose attribute 1 holds one value and those whose
// attribute 1 holds several are each read in order from the index of attribute 1 and merged, so
// that the server never sorts.
std::string OrderedScanStatement(const ScanShape& shape, const std::string& file) {
  const Access& access = shape.access;
  const std::string literal = FileLiteral(file);
  const std::string select =
      "SELECT " + ScanColumns(shape) + " FROM records WHERE file = " + literal;
  auto range = [&](const std::string& column) {
    if (!access.prefix) return " AND " + column + " = $1";
    std::string sql = " AND " + column + " >= $1";
    if (PrefixEnd(access.key)) sql += " AND " + column + " < $2";
    return sql;
  };
  const char* order = shape.order == ScanShape::kById      ? " ORDER BY id"
                      : shape.order == ScanShape::kByAttr1 ? " ORDER BY attr1, id"
                                                           : "";
  if (shape.order == ScanShape::kByAttr1 && access.kind != Access::kIdRange) {
    const std::string single_values =
        access.kind == Access::kAttr1Range ? range("attr1") : std::string();
    return "(" + select + " AND NOT attr1_multivalued" + single_values + order + ") UNION ALL (" +
           select + " AND attr1_multivalued" + order + ")" + order;
  }
  if (access.kind == Access::kAttr1Range) {
    return select + " AND NOT attr1_multivalued" + range("attr1") + " UNION ALL " + select +
           " AND attr1_multivalued" + order;
  }
  return select + (access.kind == Access::kIdRange ? range("id") : "") + order;
}

std::vector<PgParam> ScanParams(const std::string& file, const Access& access,
                                const std::optional<std::string>& end) {
  std::vector<PgParam> params = {Text(file)};
  if (access.kind == Access::kAllRecords) return params;
  params.push_back(Bytes(access.key));
  if (access.prefix && end) params.push_back(Bytes(*end));
  return params;
}

}  // namespace

struct PgDatabase::Impl : public RecordSource {
  Impl(const std::string& url, const std::string& schema) : connection(url, schema) {}

  // Runs change as one transaction holding the writer lock (a savepoint inside a transaction
  // already open).
  void Write(const std::function<void()>& change) {
    std::lock_guard lock(mutex);
    bool outermost = !connection.InTransaction();
    connection.Begin();
    try {
      if (outermost) connection.Run(kWriterLock);
      change();
    } catch (...) {
      connection.End(false);
      throw;
    }
    connection.End(true);
  }

  // A name that is not UTF-8 cannot be a file's: the embedded store says so too.
  // Files are never removed: once seen outside a transaction (which could still roll back its
  // creation), a file is known to exist without asking the server again.
  bool HasFile(const std::string& file) override {
    if (!IsUtf8(file)) return false;
    std::lock_guard lock(mutex);
    if (known_files.count(file)) return true;
    if (connection.Run("SELECT 1 FROM files WHERE name = $1", {Text(file)}).Rows() == 0) {
      return false;
    }
    if (!connection.InTransaction()) known_files.insert(file);
    return true;
  }

  void RequireFile(const std::string& file) {
    if (!HasFile(file)) NoSuchFile(file);
  }

  void Scan(const std::string& file, const Access& access, const Visitor& visit) override {
    std::lock_guard lock(mutex);
    std::optional<std::string> end = access.prefix ? PrefixEnd(access.key) : std::nullopt;
    PgResult rows = connection.Run(ScanStatement(access), ScanParams(file, access, end));
    for (int row = 0; row < rows.Rows(); ++row) visit(rows.Value(row, 0), rows.Value(row, 1));
  }

  bool ScanInOrder(const std::string& file, const ScanShape& shape,
                   const RowVisitor& visit) override {
    std::lock_guard lock(mutex);
    std::optional<std::string> end =
        shape.access.prefix ? PrefixEnd(shape.access.key) : std::nullopt;
    std::vector<PgParam> params = ScanParams(file, shape.access, end);
    params.erase(params.begin());  // the file is in the statement
    PgResult rows = connection.Run(OrderedScanStatement(shape, file), params);
    const bool apart = ReadsAttributesApart(shape);
    const int attr_count = apart ? static_cast<int>(shape.attrs.size()) : 0;
    std::vector<std::string_view> values(attr_count);
    for (int row = 0; row < rows.Rows(); ++row) {
      // Whether attribute 1 holds several values is told by its own text, as it was stored.
      std::string_view attr1 = rows.Value(row, 1);
      RecordView record{rows.Value(row, 0), attr1, std::string_view(),
                        attr1.find(kValueMark) != attr1.npos};
      std::string_view first = shape.body ? rows.Value(row, 2) : std::string_view();
      if (!apart) {
        record.body = first;
      } else if (!first.empty() && first[0] == kAttrMark) {
        record.body = first.substr(1);  // a long record's whole text
      } else {
        for (int k = 0; k < attr_count; ++k) values[k] = rows.Value(row, 2 + k);
        record.numbers = &shape.attrs;
        record.values = values.data();
      }
      visit(record);
    }
    return true;
  }

  std::optional<std::string> Get(const std::string& file, const std::string& id) {
    if (!IsUtf8(file)) NoSuchFile(file);
    std::lock_guard lock(mutex);
    PgResult rows = connection.Run("SELECT body FROM records WHERE file = $1 AND id = $2",
                                   {Text(file), Bytes(id)});
    if (rows.Rows() > 0) return std::string(rows.Value(0, 0));
    RequireFile(file);
    return std::nullopt;
  }

  // Stores the record, or deletes it when text is absent; with only_new, not when one of that id
  // exists. True when something was written. Outside a transaction the write is one statement,
  // committed on its own; inside one, a savepoint keeps a failing write from spoiling the rest.
  bool WriteRecord(const std::string& file, const std::string& id,
                   const std::optional<std::string>& text, bool only_new) {
    std::lock_guard lock(mutex);
    std::string_view attr1 = text ? AttributeOf(*text, 1) : std::string_view();
    bool multivalued = attr1.find(kValueMark) != attr1.npos;
    const std::optional<std::string> attrs = text ? AttrsArray(*text) : std::nullopt;
    std::vector<PgParam> params = {Text(file),
                                   Bytes(id),
                                   OptionalBytes(text),
                                   Bytes(attr1),
                                   Text(multivalued ? "true" : "false"),
                                   OptionalBytes(attrs),
                                   Text(operator_name),
                                   Text(only_new ? "true" : "false")};
    bool written = false;
    auto write = [&] {
      RequireFile(file);
      written = connection.Run(kWriteCall, params).Value(0, 0) == "true";
    };
    if (connection.InTransaction()) {
      Write(write);
    } else {
      write();
    }
    return written;
  }

  bool Put(const std::string& file, const std::string& id, const std::string& text, bool only_new) {
    CheckRecordId(id);
    return WriteRecord(file, id, text, only_new);
  }

  bool Delete(const std::string& file, const std::string& id) {
    return WriteRecord(file, id, std::nullopt, false);
  }

  std::recursive_mutex mutex;
  PgConnection connection;
  std::set<std::string> known_files;
  std::string operator_name;
};

namespace {

class PgFile : public RecordFile {
 public:
  PgFile(std::shared_ptr<PgDatabase::Impl> impl, std::string name)
      : RecordFile(std::move(name)), impl_(std::move(impl)) {}

 private:
  std::optional<std::string> Fetch(const std::string& id) override {
    return impl_->Get(Name(), id);
  }
  bool Store(const std::string& id, const std::string& text, bool only_new) override {
    return impl_->Put(Name(), id, text, only_new);
  }

  std::shared_ptr<PgDatabase::Impl> impl_;
};

// Stores made before the write function, the present index of attribute 1 or the attrs column
// get them when first opened; the attrs of the records already there are cut on the server.
void BringUpToDate(PgConnection& connection) {
  PgResult missing = connection.Run(
      "SELECT (to_regprocedure($1) IS NULL)::text, "
      "(to_regclass('records_by_attr1_attrs') IS NULL)::text, "
      "(to_regprocedure('talvero_attrs(bytea)') IS NULL)::text, "
      "(NOT EXISTS (SELECT 1 FROM pg_attribute WHERE attrelid = 'records'::regclass "
      "AND attname = 'attrs' AND NOT attisdropped))::text",
      {Text(kWriteFunctionSignature)});
  if (missing.Value(0, 2) == "true") connection.Run(AttrsFunction());
  if (missing.Value(0, 3) == "true") {
    connection.Run("ALTER TABLE records ADD COLUMN attrs bytea[]");
    connection.Run("UPDATE records SET attrs = talvero_attrs(body)");
  }
  if (missing.Value(0, 2) == "true") {
    for (const char* sql : kAttrsTriggers) connection.Run(sql);
  }
  if (missing.Value(0, 0) == "true") connection.Run(kWriteFunction);
  if (missing.Value(0, 1) == "true") {
    connection.Run(kAttr1Index);
    connection.Run("DROP INDEX IF EXISTS records_by_attr1_id");
    connection.Run("DROP INDEX IF EXISTS records_by_attr1");
  }
}

// Makes the store's tables and first files unless they are there. The lock makes a second process
// opening the same new store wait, and only the one that made the tables adds the files.
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
      connection.Run(kWriterLock);
    } else {
      connection.Run("SELECT pg_advisory_xact_lock(7410, hashtext($1))", {Text(schema)});
    }
    bool is_new =
        connection.Run("SELECT (to_regclass('files') IS NULL)::text").Value(0, 0) == "true";
    if (is_new && mode == OpenMode::kExisting) {
      throw ComponentError(kErrStorage, "Aucune base d'enregistrements à cette adresse.");
    }
    if (is_new) {
      // A plain name, checked by the connection: never text from a record or a sentence.
      if (!schema.empty()) connection.Run("CREATE SCHEMA IF NOT EXISTS " + schema);
      for (const char* sql : kSchema) connection.Run(sql);
      for (const std::string& file : FirstFiles()) {
        connection.Run("INSERT INTO files (name) VALUES ($1)", {Text(file)});
      }
    }
    BringUpToDate(connection);
  } catch (...) {
    connection.End(false);
    throw;
  }
  connection.End(true);
}

}  // namespace

std::shared_ptr<PgDatabase> PgDatabase::Open(const std::string& url, const std::string& schema,
                                             OpenMode mode) {
  auto impl = std::make_shared<Impl>(url, schema);
  OpenSchema(impl->connection, mode);
  return std::shared_ptr<PgDatabase>(new PgDatabase(std::move(impl)));
}

PgDatabase::PgDatabase(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}

PgDatabase::~PgDatabase() = default;

std::shared_ptr<DBAFile> PgDatabase::DBOpen(const std::string& file) {
  impl_->RequireFile(file);
  return std::make_shared<PgFile>(impl_, file);
}

DynArrayPtr PgDatabase::DBQuery(const std::string& request, const std::string& options,
                                int32_t& count) {
  Selection selection = Select(*impl_, request);
  count = selection.count;
  return std::make_shared<DBADynArray>(std::move(selection.text));
}

void PgDatabase::PutRecords(const std::string& file,
                            const std::vector<std::pair<std::string, std::string>>& records) {
  constexpr size_t kBatch = 5000;
  impl_->Write([&] {
    impl_->RequireFile(file);
    for (size_t first = 0; first < records.size(); first += kBatch) {
      std::vector<std::string_view> ids, texts, attrs1, marks;
      for (size_t k = first; k < std::min(records.size(), first + kBatch); ++k) {
        const auto& [id, text] = records[k];
        CheckRecordId(id);
        std::string_view attr1 = AttributeOf(text, 1);
        ids.push_back(id);
        texts.push_back(text);
        attrs1.push_back(attr1);
        marks.push_back(attr1.find(kValueMark) != attr1.npos ? "\1" : std::string_view("\0", 1));
      }
      impl_->connection.Run(
          kBatchWrite,
          {Text(file), Text(impl_->operator_name), Bytes(BinaryArray(ids, kByteaType)),
           Bytes(BinaryArray(texts, kByteaType)), Bytes(BinaryArray(attrs1, kByteaType)),
           Bytes(BinaryArray(marks, kBooleanType))});
    }
  });
}

void PgDatabase::DBTransaction(const std::function<void()>& body) {
  impl_->Write(body);
}

void PgDatabase::SetOperator(const std::string& name) {
  std::lock_guard lock(impl_->mutex);
  // The journal's operator column is text: a name that is not UTF-8 keeps its ASCII letters.
  impl_->operator_name = name;
  if (!IsUtf8(name)) {
    for (char& c : impl_->operator_name) c = static_cast<unsigned char>(c) < 0x80 ? c : '?';
  }
}

void PgDatabase::PutRecord(const std::string& file, const std::string& id,
                           const std::string& text) {
  impl_->Put(file, id, text, false);
}

bool PgDatabase::DeleteRecord(const std::string& file, const std::string& id) {
  return impl_->Delete(file, id);
}

std::optional<std::string> PgDatabase::GetRecord(const std::string& file, const std::string& id) {
  return impl_->Get(file, id);
}

void PgDatabase::CreateFile(const std::string& file) {
  CheckFileName(file);
  impl_->Write([&] {
    impl_->connection.Run("INSERT INTO files (name) VALUES ($1) ON CONFLICT DO NOTHING",
                          {Text(file)});
  });
}

std::vector<std::string> PgDatabase::Files() {
  std::lock_guard lock(impl_->mutex);
  PgResult rows = impl_->connection.Run("SELECT name FROM files ORDER BY name");
  std::vector<std::string> files;
  for (int row = 0; row < rows.Rows(); ++row) files.emplace_back(rows.Value(row, 0));
  return files;
}

void PgDatabase::ForEachRecord(const std::string& file, const Visitor& visit) {
  std::lock_guard lock(impl_->mutex);
  impl_->RequireFile(file);
  PgResult rows = impl_->connection.Run("SELECT id, body FROM records WHERE file = $1 ORDER BY id",
                                        {Text(file)});
  for (int row = 0; row < rows.Rows(); ++row) visit(rows.Value(row, 0), rows.Value(row, 1));
}

std::vector<Version> PgDatabase::History(const std::string& file, const std::string& id) {
  std::lock_guard lock(impl_->mutex);
  impl_->RequireFile(file);
  PgResult rows = impl_->connection.Run(
      "SELECT version::text, to_char(at AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS'), operator, "
      "before, after FROM journal WHERE file = $1 AND id = $2 ORDER BY version",
      {Text(file), Bytes(id)});
  std::vector<Version> versions;
  for (int row = 0; row < rows.Rows(); ++row) {
    versions.push_back({std::stoi(std::string(rows.Value(row, 0))), std::string(rows.Value(row, 1)),
                        std::string(rows.Value(row, 2)), rows.Optional(row, 3),
                        rows.Optional(row, 4)});
  }
  return versions;
}

void PgDatabase::Restore(const std::string& file, const std::string& id, int version) {
  impl_->Write([&] {
    impl_->RequireFile(file);
    PgResult rows = impl_->connection.Run(
        "SELECT after FROM journal WHERE file = $1 AND id = $2 AND version = $3",
        {Text(file), Bytes(id), Text(std::to_string(version))});
    if (rows.Rows() == 0) {
      throw ComponentError(kErrRecordNotFound, "La version " + std::to_string(version) +
                                                   " de l'enregistrement \"" + id +
                                                   "\" du fichier " + file + " n'existe pas.");
    }
    std::optional<std::string> after = rows.Optional(0, 0);
    if (after) {
      impl_->Put(file, id, *after, false);
    } else {
      impl_->Delete(file, id);
    }
  });
}

std::vector<std::string> PgDatabase::IntegrityProblems() {
  std::lock_guard lock(impl_->mutex);
  std::vector<std::string> problems;
  PgResult rows = impl_->connection.Run(
      "SELECT file, id, body, attr1, attr1_multivalued::text, attrs FROM records "
      "ORDER BY file, id");
  for (int row = 0; row < rows.Rows(); ++row) {
    std::string where = std::string(rows.Value(row, 0)) + " " + std::string(rows.Value(row, 1));
    std::string_view attr1 = AttributeOf(rows.Value(row, 2), 1);
    bool multivalued = attr1.find(kValueMark) != attr1.npos;
    if (attr1 != rows.Value(row, 3) || multivalued != (rows.Value(row, 4) == "true")) {
      problems.push_back(where +
                         " : la copie de l'attribut 1 ne correspond pas à l'enregistrement");
    }
    bool short_text = AttrsArray(rows.Value(row, 2)).has_value();
    if (short_text ? JoinedAttrs(rows.Value(row, 5)) != rows.Value(row, 2) : !rows.IsNull(row, 5)) {
      problems.push_back(where +
                         " : les attributs découpés ne correspondent pas à l'enregistrement");
    }
    try {
      CheckRecordId(std::string(rows.Value(row, 1)));
    } catch (const ComponentError& e) {
      problems.push_back(where + " : " + e.what());
    }
  }
  // The last version of a record's journal is what the record holds.
  PgResult stale = impl_->connection.Run(
      "SELECT j.file, j.id FROM journal j LEFT JOIN records r ON r.file = j.file AND r.id = j.id "
      "WHERE j.version = (SELECT max(version) FROM journal k WHERE k.file = j.file AND "
      "k.id = j.id) AND r.body IS DISTINCT FROM j.after ORDER BY j.file, j.id");
  for (int row = 0; row < stale.Rows(); ++row) {
    problems.push_back(std::string(stale.Value(row, 0)) + " " + std::string(stale.Value(row, 1)) +
                       " : le journal ne se termine pas par le texte enregistré");
  }
  return problems;
}

void PgDatabase::DropSchema() {
  std::lock_guard lock(impl_->mutex);
  const std::string& schema = impl_->connection.Schema();
  if (schema.empty()) {
    throw ComponentError(kErrStorage, "Le schéma par défaut du serveur n'est jamais supprimé.");
  }
  impl_->connection.Run("DROP SCHEMA IF EXISTS " + schema + " CASCADE");
}

namespace {

std::vector<std::string> Steps(const PgResult& plan) {
  std::vector<std::string> steps;
  for (int row = 0; row < plan.Rows(); ++row) steps.emplace_back(plan.Value(row, 0));
  return steps;
}

}  // namespace

std::vector<std::string> PgDatabase::ExplainScan(const std::string& file, const Access& access) {
  std::lock_guard lock(impl_->mutex);
  impl_->connection.Run("ANALYZE records");
  std::optional<std::string> end = access.prefix ? PrefixEnd(access.key) : std::nullopt;
  return Steps(
      impl_->connection.Run("EXPLAIN " + ScanStatement(access), ScanParams(file, access, end)));
}

std::vector<std::string> PgDatabase::ExplainScan(const std::string& file, const ScanShape& shape) {
  std::lock_guard lock(impl_->mutex);
  impl_->connection.Run("VACUUM ANALYZE records");
  const Access& access = shape.access;
  std::optional<std::string> end = access.prefix ? PrefixEnd(access.key) : std::nullopt;
  std::vector<PgParam> params = ScanParams(file, access, end);
  params.erase(params.begin());  // the file is in the statement
  return Steps(impl_->connection.Run("EXPLAIN " + OrderedScanStatement(shape, file), params));
}

}  // namespace talvero::store
