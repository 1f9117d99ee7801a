#pragma once
// One connection to a PostgreSQL server, for the server store (pg_store.h).
//
// Every statement is sent with its values as parameters, never pasted into the SQL text; byte
// strings (ids, record texts) travel in binary form and come back in binary form, so no byte is
// ever reinterpreted. Results are asked in binary form: columns other than bytea are cast to text
// by the SQL that reads them.
//
// A connection that the server dropped (a restart, a network cut) raises
// ComponentError(kErrStorage) for the statement that met it; the next statement reconnects. While a
// transaction is open a lost connection is never silently replaced: every statement of that
// transaction fails until it ends, since the server has already rolled it back.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_result;

namespace talvero::store {

// A statement parameter: bytes (bytea), text, or NULL.
struct PgParam {
  static PgParam Bytes(std::string_view bytes) { return {bytes, true, false}; }
  static PgParam Text(std::string_view text) { return {text, false, false}; }
  static PgParam Null() { return {{}, false, true}; }
  std::string_view value;
  bool binary = false;
  bool null = false;
};

class PgResult {
 public:
  explicit PgResult(pg_result* result) : result_(result) {}
  ~PgResult();
  PgResult(PgResult&& other) noexcept : result_(other.result_) { other.result_ = nullptr; }
  PgResult(const PgResult&) = delete;
  PgResult& operator=(const PgResult&) = delete;

  int Rows() const;
  std::string CommandTag() const;  // "COMMIT", "INSERT 0 1"...
  std::string_view Value(int row, int column) const;
  bool IsNull(int row, int column) const;
  std::optional<std::string> Optional(int row, int column) const;

 private:
  pg_result* result_;
};

class PgConnection {
 public:
  // url: a libpq connection string ("postgresql://..."). schema: where the store's tables live;
  // empty for the server's default search path.
  PgConnection(std::string url, std::string schema);
  ~PgConnection();
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;

  const std::string& Schema() const { return schema_; }

  // Runs one statement; `what` names it in an error.
  PgResult Run(const std::string& sql, const std::vector<PgParam>& params = {});

  // Transactions: Begin opens the outermost one; inside it, Begin and End make savepoints, so that
  // a failing inner part rolls back only itself. End(false) rolls back.
  void Begin();
  void End(bool commit);
  bool InTransaction() const { return depth_ > 0; }

 private:
  void Connect();
  void EnsureConnected();
  [[noreturn]] void Fail(const std::string& sql);

  std::string url_;
  std::string schema_;
  pg_conn* conn_ = nullptr;
  int depth_ = 0;
  bool lost_in_transaction_ = false;
};

}  // namespace talvero::store
