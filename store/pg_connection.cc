#include "store/pg_connection.h"

#include <libpq-fe.h>

#include "gateways/dba_error.h"

namespace talvero::store {

namespace {

// The first line of libpq's message: the rest repeats the statement or gives hints.
std::string FirstLine(const char* message) {
  std::string text = message ? message : "";
  size_t end = text.find('\n');
  return end == std::string::npos ? text : text.substr(0, end);
}

[[noreturn]] void FailStorage(const std::string& text) {
  throw ComponentError(kErrStorage, text);
}

}  // namespace

PgResult::~PgResult() {
  PQclear(result_);
}

std::string PgResult::CommandTag() const {
  return PQcmdStatus(result_);
}

bool PgResult::Ok() const {
  ExecStatusType status = result_ ? PQresultStatus(result_) : PGRES_FATAL_ERROR;
  return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

int PgResult::Rows() const {
  return PQntuples(result_);
}

std::string_view PgResult::Value(int row, int column) const {
  return std::string_view(PQgetvalue(result_, row, column), PQgetlength(result_, row, column));
}

bool PgResult::IsNull(int row, int column) const {
  return PQgetisnull(result_, row, column);
}

std::optional<std::string> PgResult::Optional(int row, int column) const {
  if (IsNull(row, column)) return std::nullopt;
  return std::string(Value(row, column));
}

PgConnection::PgConnection(std::string url, std::string schema)
    : url_(std::move(url)), schema_(std::move(schema)) {
  // The schema goes into the connection's options, where a blank or a backslash would change
  // their meaning: only plain names are accepted.
  if (schema_.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") != std::string::npos) {
    FailStorage("Nom de schéma invalide : \"" + schema_ + "\".");
  }
  Connect();
}

PgConnection::~PgConnection() {
  PQfinish(conn_);
}

void PgConnection::Connect() {
  PQfinish(conn_);
  prepared_.clear();  // they went with the old session
  // The schema in the application name lets an administrator tell the stores' sessions apart.
  std::string application = schema_.empty() ? "talvero" : "talvero:" + schema_;
  std::string options = "-c search_path=" + schema_;
  // dbname holds the whole connection string (expand_dbname): it overrides the keywords before
  // it, which are only defaults, and the keywords after it override it. A connection string may
  // choose the store's schema itself with options=-csearch_path%3DNAME.
  std::vector<const char*> keywords = {"application_name", "connect_timeout", "dbname",
                                       "client_encoding"};
  std::vector<const char*> values = {application.c_str(), "10", url_.c_str(), "UTF8"};
  if (!schema_.empty()) {
    keywords.push_back("options");
    values.push_back(options.c_str());
  }
  keywords.push_back(nullptr);
  values.push_back(nullptr);
  conn_ = PQconnectdbParams(keywords.data(), values.data(), 1);
  if (PQstatus(conn_) != CONNECTION_OK) {
    std::string reason = FirstLine(PQerrorMessage(conn_));
    PQfinish(conn_);
    conn_ = nullptr;
    FailStorage("Connexion impossible au serveur de base de données : " + reason);
  }
  // The store's statements are prepared once per session and their plans do not depend on the
  // values given (an index range is an index range): planning them again at every run, as the
  // server does by default for a few runs and then whenever a generic plan looks dearer, costs
  // more than most of the queries themselves.
  PQclear(PQexec(conn_, "SET plan_cache_mode = force_generic_plan"));
  // The server's notices (a drop that cascades) are for people at a console, not our callers.
  PQsetNoticeProcessor(
      conn_, [](void*, const char*) {}, nullptr);
}

// Inside a transaction a lost connection is never replaced: a new one would run the rest of the
// transaction, its COMMIT included, outside of it.
void PgConnection::EnsureConnected() {
  bool connected = conn_ != nullptr && PQstatus(conn_) == CONNECTION_OK;
  if (depth_ > 0 && (lost_in_transaction_ || !connected)) {
    lost_in_transaction_ = true;
    FailStorage(
        "La connexion au serveur de base de données a été perdue pendant une transaction : "
        "rien de cette transaction n'a été enregistré.");
  }
  if (!connected) Connect();
}

void PgConnection::Fail(const std::string& sql) {
  if (conn_ != nullptr && PQstatus(conn_) == CONNECTION_OK) {
    FailStorage("Erreur de la base d'enregistrements (" + sql +
                ") : " + FirstLine(PQerrorMessage(conn_)));
  }
  std::string reason = conn_ ? FirstLine(PQerrorMessage(conn_)) : "";
  if (depth_ > 0) lost_in_transaction_ = true;
  FailStorage("La connexion au serveur de base de données a été perdue (" + reason +
              ") : l'opération n'a pas été enregistrée ; la prochaine opération rétablira la "
              "connexion.");
}

PgResult PgConnection::Run(const std::string& sql, const std::vector<PgParam>& params) {
  EnsureConnected();
  std::vector<std::string> texts;  // text parameters need their terminating zero
  std::vector<const char*> values;
  std::vector<int> lengths, formats;
  texts.reserve(params.size());
  for (const PgParam& param : params) {
    texts.emplace_back(param.value);
    values.push_back(param.null ? nullptr : texts.back().c_str());
    lengths.push_back(static_cast<int>(param.value.size()));
    formats.push_back(param.binary ? 1 : 0);
  }
  const int count = static_cast<int>(params.size());
  pg_result* raw = nullptr;
  // Statements without parameters are prepared too when they read: a store's queries, a union
  // of two ordered selects included.
  const bool reads = sql.rfind("SELECT ", 0) == 0 || sql.rfind("(SELECT ", 0) == 0;
  if (params.empty() && !reads) {
    raw = PQexecParams(conn_, sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 1);
  } else {
    // A query or a statement with parameters is one of the store's own, run again and again:
    // the server parses and plans it once per connection.
    auto found = prepared_.find(sql);
    if (found == prepared_.end()) {
      std::string name = "talvero_" + std::to_string(prepared_.size() + 1);
      PgResult prepared(PQprepare(conn_, name.c_str(), sql.c_str(), count, nullptr));
      if (!prepared.Ok()) Fail(sql);
      found = prepared_.emplace(sql, name).first;
    }
    raw = PQexecPrepared(conn_, found->second.c_str(), count, values.data(), lengths.data(),
                         formats.data(), 1);
  }
  PgResult result(raw);
  // libpq gives no result at all when it ran out of memory or lost the server mid-way.
  ExecStatusType status = raw ? PQresultStatus(raw) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) Fail(sql);
  return result;
}

void PgConnection::Begin() {
  if (depth_ == 0) {
    lost_in_transaction_ = false;
    Run("BEGIN");
  } else {
    Run("SAVEPOINT level" + std::to_string(depth_));
  }
  ++depth_;
}

void PgConnection::End(bool commit) {
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{depth_};
  if (depth_ == 1) {
    // A transaction that met an error answers COMMIT by rolling back.
    if (commit && Run("COMMIT").CommandTag() != "COMMIT") {
      FailStorage(
          "La transaction a été annulée par le serveur de base de données après une erreur.");
    }
    if (commit) return;
    // The server rolls back a transaction whose connection is gone: nothing left to undo.
    if (!lost_in_transaction_) {
      try {
        Run("ROLLBACK");
      } catch (const ComponentError&) {
      }
    }
    return;
  }
  std::string savepoint = "level" + std::to_string(depth_ - 1);
  if (commit) {
    Run("RELEASE SAVEPOINT " + savepoint);
  } else if (!lost_in_transaction_) {
    try {
      Run("ROLLBACK TO SAVEPOINT " + savepoint);
    } catch (const ComponentError&) {
    }
  }
}

}  // namespace talvero::store
