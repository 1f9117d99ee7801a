#include "store/pg_store.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "gateways/dba_error.h"
#include "gateways/dyn_array.h"
#include "store/pg_attrs.h"
#include "store/pg_connection.h"
#include "store/pg_layout.h"
#include "store/selection.h"

namespace talvero::store {

namespace {

// A record's write outside a transaction: one statement, so one round trip, committed on its own.
// It stores the record (with only_new, $8, not over an existing one) and appends its version to
// the journal: the journal's sequence is drawn after the record's row is locked, so versions of
// one record are numbered in the order they were written. The listed attributes come cut by the
// client for the file's list of attributes it knows ($9); when that list has grown since, the
// server cuts them for the present list. One journal row inserted when it wrote.
constexpr const char* kWriteStatement =
    "WITH written AS (INSERT INTO records (file, id, body, attr1, attr1_multivalued, "
    "listed_attrs) SELECT $1, $2, $3, $4, $5, CASE WHEN listed = $9::integer[] THEN $6 "
    "ELSE talvero_listed_attrs($3, listed) END FROM files WHERE name = $1 "
    "ON CONFLICT (file, id) DO UPDATE SET body = excluded.body, attr1 = excluded.attr1, "
    "attr1_multivalued = excluded.attr1_multivalued, listed_attrs = excluded.listed_attrs "
    "WHERE NOT $8 RETURNING 1) "
    "INSERT INTO journal (file, id, operator, after) SELECT $1, $2, $7, $3 FROM written";

// A record's deletion, likewise: a version without text after. One row when it deleted.
constexpr const char* kDeleteStatement =
    "WITH deleted AS (DELETE FROM records WHERE file = $1 AND id = $2 RETURNING 1) "
    "INSERT INTO journal (file, id, operator) SELECT $1, $2, $3 FROM deleted";

// The statements above insert one journal row when they wrote.
bool Wrote(const PgResult& result) {
  return result.CommandTag() == "INSERT 0 1";
}

// Many records of one file written by one statement, each journaled as a write of its own: $1
// the file, $2 the operator, then arrays of the ids, texts, attributes 1 and their marks. The
// server cuts the listed attributes. The writer lock is held by the transaction around.
constexpr const char* kBatchWrite =
    "WITH input AS (SELECT * FROM unnest($3::bytea[], $4::bytea[], $5::bytea[], $6::boolean[]) "
    "AS t (id, body, attr1, multivalued)), "
    "written AS (INSERT INTO records (file, id, body, attr1, attr1_multivalued, listed_attrs) "
    "SELECT $1, i.id, i.body, i.attr1, i.multivalued, talvero_listed_attrs(i.body, f.listed) "
    "FROM input i, files f WHERE f.name = $1 ON CONFLICT (file, id) DO UPDATE "
    "SET body = excluded.body, attr1 = excluded.attr1, "
    "attr1_multivalued = excluded.attr1_multivalued, listed_attrs = excluded.listed_attrs "
    "RETURNING id, body) "
    "INSERT INTO journal (file, id, operator, after) SELECT $1, id, $2, body FROM written";

// A query reading more attributes than this reads the whole text instead.
constexpr size_t kMostAttributesApart = 8;

// A connection reads again the list of attributes of a file it writes at most this long after it
// last read it: a list another program made longer is then cut for by this one too, rather than
// by the server at each write.
constexpr std::chrono::seconds kListRead{60};

// A file's list of attributes grows only while the file is this small: the records already there
// are cut again at once, which must stay short for the operator whose list waits for it.
constexpr int kMostRecordsRecut = 20000;

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

// Whether a scan of that shape could read its attributes past the first one by one.
bool WantsAttributesApart(const ScanShape& shape) {
  return !shape.attrs.empty() && shape.attrs.size() <= kMostAttributesApart;
}

// The columns a scan reads: the id and attribute 1, then, when the file keeps the attributes asked
// apart, the values it keeps and, for a long record only, which keeps none, its whole text; else
// the whole text, if the scan needs it. The values kept are in the index of attribute 1, so a scan
// in its order reads no table row but those of long records.
std::string ScanColumns(const ScanShape& shape, bool apart) {
  if (apart) {
    return "id, attr1, listed_attrs, CASE WHEN listed_attrs IS NULL THEN (SELECT body FROM "
           "records whole WHERE whole.file = records.file AND whole.id = records.id) END";
  }
  return shape.body ? "id, attr1, body" : "id, attr1";
}

// The file is written into the statement, not passed: each file gets a plan of its own, made
// with its own statistics (the catalogue's 999 items are not read like a chart of a million
// accounts). Parameters: $1 the value or the start of the prefix range, $2 its end.
// In the order of attribute 1, a whole file is one scan of the index of attribute 1; a search on
// attribute 1 merges the records whose attribute 1 holds one value, from a range of that index,
// and those whose attribute 1 holds several, from theirs: the server never sorts.
std::string OrderedScanStatement(const ScanShape& shape, const std::string& file, bool apart) {
  const Access& access = shape.access;
  const std::string literal = FileLiteral(file);
  const std::string select =
      "SELECT " + ScanColumns(shape, apart) + " FROM records WHERE file = " + literal;
  auto range = [&](const std::string& column) {
    if (!access.prefix) return " AND " + column + " = $1";
    std::string sql = " AND " + column + " >= $1";
    if (PrefixEnd(access.key)) sql += " AND " + column + " < $2";
    return sql;
  };
  const char* order = shape.order == ScanShape::kById      ? " ORDER BY id"
                      : shape.order == ScanShape::kByAttr1 ? " ORDER BY attr1, id"
                                                           : "";
  if (shape.order == ScanShape::kByAttr1 && access.kind == Access::kAttr1Range) {
    return "(" + select + " AND NOT attr1_multivalued" + range("attr1") + order + ") UNION ALL (" +
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
    if (!ReadList(file)) return false;
    if (!connection.InTransaction()) known_files.insert(file);
    return true;
  }

  // The file's list of attributes as the server holds it; nothing when there is no such file.
  std::optional<std::vector<int>> ListOnServer(const std::string& file) {
    PgResult rows = connection.Run("SELECT listed::text FROM files WHERE name = $1", {Text(file)});
    if (rows.Rows() == 0) return std::nullopt;
    return ParseListed(rows.Value(0, 0));
  }

  // Reads the file's list of attributes again; false when there is no such file.
  bool ReadList(const std::string& file) {
    std::optional<std::vector<int>> attrs = ListOnServer(file);
    if (!attrs) return false;
    lists[file] = {std::move(*attrs), Clock::now()};
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
    const bool apart = ReadsApart(file, shape);
    PgResult rows = connection.Run(OrderedScanStatement(shape, file, apart), params);
    const std::vector<int>& known = lists[file].attrs;
    const int attr_count = apart ? static_cast<int>(shape.attrs.size()) : 0;
    std::vector<std::string_view> values(attr_count);
    for (int row = 0; row < rows.Rows(); ++row) {
      // Whether attribute 1 holds several values is told by its own text, as it was stored.
      std::string_view attr1 = rows.Value(row, 1);
      RecordView record{rows.Value(row, 0), attr1, std::string_view(),
                        attr1.find(kValueMark) != attr1.npos};
      if (!apart) {
        record.body = shape.body ? rows.Value(row, 2) : std::string_view();
      } else if (rows.IsNull(row, 2)) {
        record.body = rows.Value(row, 3);  // a long record's whole text
      } else {
        PickListed(rows.Value(row, 2), known, shape.attrs, values.data());
        record.numbers = &shape.attrs;
        record.values = values.data();
      }
      visit(record);
    }
    return true;
  }

  // Whether a scan of that shape reads its attributes one by one: when the file keeps them apart.
  // A list reading attributes the file does not keep apart yet makes it keep them, unless the
  // file is too large to cut again at once, or the list is read inside a transaction.
  bool ReadsApart(const std::string& file, const ScanShape& shape) {
    if (!WantsAttributesApart(shape)) return false;
    if (AllListed(lists[file].attrs, shape.attrs)) return true;
    if (connection.InTransaction() || not_growing.count(file)) return false;
    try {
      GrowListed(file, shape.attrs);
    } catch (const ComponentError&) {
      // A server that refuses (an account allowed to read only) or a table held too long leaves
      // the list as it was: the scan reads the whole texts, as it would for a larger file, and
      // this connection does not try again.
      not_growing.insert(file);
    }
    return AllListed(lists[file].attrs, shape.attrs);
  }

  // Adds attrs to the file's list and cuts the file's records again, in one transaction that
  // holds the writer lock, so every write of a record waits: a write whose statement starts after
  // it reads the new list.
  void GrowListed(const std::string& file, const std::vector<int>& attrs) {
    connection.Begin();
    try {
      // Writers queue behind this lock: it is never waited for long (a session left in the
      // middle of a transaction would otherwise hold up every save of the office).
      connection.Run("SET LOCAL lock_timeout = '1s'");
      connection.Run(kWriterLock);
      std::vector<int> present = ListOnServer(file).value_or(std::vector<int>());
      // New attributes go at the end of the list: those listed keep their places.
      std::vector<int> grown = present;
      for (int attr : attrs) {
        if (!AllListed(grown, {attr})) grown.push_back(attr);
      }
      if (grown.size() > present.size() && IsSmall(file)) {
        connection.Run("UPDATE files SET listed = $2::integer[] WHERE name = $1",
                       {Text(file), Text(ListedText(grown))});
        connection.Run(
            "UPDATE records SET listed_attrs = talvero_listed_attrs(body, $2::integer[]) "
            "WHERE file = $1 AND listed_attrs IS NOT NULL",
            {Text(file), Text(ListedText(grown))});
        present = std::move(grown);
      } else if (grown.size() > present.size()) {
        not_growing.insert(file);
      }
      connection.End(true);
      lists[file] = {std::move(present), Clock::now()};
    } catch (...) {
      connection.End(false);
      throw;
    }
  }

  bool IsSmall(const std::string& file) {
    PgResult size =
        connection.Run("SELECT count(*)::text FROM (SELECT FROM records WHERE file = $1 LIMIT " +
                           std::to_string(kMostRecordsRecut + 1) + ") s",
                       {Text(file)});
    return std::stoi(std::string(size.Value(0, 0))) <= kMostRecordsRecut;
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
    bool written = false;
    auto write = [&] {
      RequireFile(file);
      written = text ? Store(file, id, *text, only_new) : Remove(file, id);
    };
    if (connection.InTransaction()) {
      Write(write);
    } else {
      write();
    }
    return written;
  }

  bool Store(const std::string& file, const std::string& id, const std::string& text,
             bool only_new) {
    std::string_view attr1 = AttributeOf(text, 1);
    bool multivalued = attr1.find(kValueMark) != attr1.npos;
    if (Clock::now() - lists[file].read > kListRead) ReadList(file);
    const std::vector<int>& known = lists[file].attrs;
    return Wrote(connection.Run(
        kWriteStatement,
        {Text(file), Bytes(id), Bytes(text), Bytes(attr1), Text(multivalued ? "true" : "false"),
         OptionalBytes(ListedAttrs(text, known)), Text(operator_name),
         Text(only_new ? "true" : "false"), Text(ListedText(known))}));
  }

  bool Remove(const std::string& file, const std::string& id) {
    return Wrote(connection.Run(kDeleteStatement, {Text(file), Bytes(id), Text(operator_name)}));
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
  // The attributes each file keeps apart for its lists, as last read from the server, and when:
  // a list only grows, so those named here are kept by every record.
  using Clock = std::chrono::steady_clock;
  struct KnownList {
    std::vector<int> attrs;
    Clock::time_point read;
  };
  std::map<std::string, KnownList> lists;
  std::set<std::string> not_growing;  // files whose list this connection no longer tries to grow
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
  // A version's text before is the text after the one before it.
  PgResult rows = impl_->connection.Run(
      "SELECT (row_number() OVER w)::text, "
      "to_char(at AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS'), operator, lag(after) OVER w, "
      "after FROM journal WHERE file = $1 AND id = $2 WINDOW w AS (ORDER BY seq) ORDER BY seq",
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
        "SELECT after FROM journal WHERE file = $1 AND id = $2 ORDER BY seq "
        "OFFSET $3::bigint - 1 LIMIT 1",
        {Text(file), Bytes(id), Text(std::to_string(std::max(version, 1)))});
    if (version < 1 || rows.Rows() == 0) {
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
      "SELECT r.file, r.id, r.body, r.attr1, r.attr1_multivalued::text, r.listed_attrs, "
      "f.listed::text "
      "FROM records r JOIN files f ON f.name = r.file ORDER BY r.file, r.id");
  for (int row = 0; row < rows.Rows(); ++row) {
    std::string where = std::string(rows.Value(row, 0)) + " " + std::string(rows.Value(row, 1));
    std::string_view attr1 = AttributeOf(rows.Value(row, 2), 1);
    bool multivalued = attr1.find(kValueMark) != attr1.npos;
    if (attr1 != rows.Value(row, 3) || multivalued != (rows.Value(row, 4) == "true")) {
      problems.push_back(where +
                         " : la copie de l'attribut 1 ne correspond pas à l'enregistrement");
    }
    std::optional<std::string> kept =
        ListedAttrs(rows.Value(row, 2), ParseListed(rows.Value(row, 6)));
    if (kept ? rows.IsNull(row, 5) || rows.Value(row, 5) != *kept : !rows.IsNull(row, 5)) {
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
      "SELECT j.file, j.id FROM (SELECT DISTINCT ON (file, id) file, id, after FROM journal "
      "ORDER BY file, id, seq DESC) j LEFT JOIN records r ON r.file = j.file AND r.id = j.id "
      "WHERE r.body IS DISTINCT FROM j.after ORDER BY j.file, j.id");
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
  const bool apart = impl_->ReadsApart(file, shape);
  impl_->connection.Run("VACUUM ANALYZE records");
  const Access& access = shape.access;
  std::optional<std::string> end = access.prefix ? PrefixEnd(access.key) : std::nullopt;
  std::vector<PgParam> params = ScanParams(file, access, end);
  params.erase(params.begin());  // the file is in the statement
  return Steps(
      impl_->connection.Run("EXPLAIN " + OrderedScanStatement(shape, file, apart), params));
}

}  // namespace talvero::store
