#include "bench/pg_floor.h"

#include <libpq-fe.h>

#include <stdexcept>

#include "bench/bench_data.h"
#include "gateways/dyn_array.h"

namespace talvero::bench {

namespace {

std::string PrefixEnd(std::string prefix) {
  prefix.back() = static_cast<char>(prefix.back() + 1);
  return prefix;
}

}  // namespace

PgFloor::PgFloor(const std::string& url, const std::string& schema,
                 const std::string& store_schema) {
  conn_ = PQconnectdb(url.c_str());
  if (PQstatus(conn_) != CONNECTION_OK) {
    throw std::runtime_error(std::string("floor connection: ") + PQerrorMessage(conn_));
  }
  Exec("DROP SCHEMA IF EXISTS " + schema + " CASCADE");
  Exec("CREATE SCHEMA " + schema);
  Exec("SET search_path TO " + schema);
  // The same plan caching as the store's sessions: the best of the two for these queries.
  Exec("SET plan_cache_mode = force_generic_plan");
  Exec("CREATE TABLE accounts (id bytea PRIMARY KEY, label bytea NOT NULL)");
  Exec("INSERT INTO accounts SELECT id, attr1 FROM " + store_schema +
       ".records WHERE file = 'PLANCOMPTABLE'");
  Exec("CREATE INDEX accounts_by_label ON accounts (label, id)");
  Exec(
      "CREATE TABLE items (id bytea PRIMARY KEY, label bytea NOT NULL, deleted bytea NOT NULL, "
      "body bytea NOT NULL)");
  Exec("CREATE INDEX items_by_label ON items (label, id, deleted)");
  Exec(
      "CREATE TABLE item_versions (seq bigint GENERATED ALWAYS AS IDENTITY, id bytea NOT NULL, "
      "at timestamptz NOT NULL DEFAULT now(), operator text NOT NULL, after bytea)");
  for (int i = 1; i <= 999; ++i) {
    std::string values[] = {ItemId(i), ItemLabel(i), ItemDeleted(i), ItemText(i)};
    const char* data[4];
    int lengths[4], formats[4] = {1, 1, 1, 1};
    for (int k = 0; k < 4; ++k) data[k] = values[k].data(), lengths[k] = values[k].size();
    PGresult* result = PQexecParams(conn_, "INSERT INTO items VALUES ($1, $2, $3, $4)", 4, nullptr,
                                    data, lengths, formats, 1);
    PQclear(result);
  }
  // Both sides with their statistics, as the server's autovacuum gives them after a load.
  Exec("VACUUM ANALYZE " + store_schema + ".records");
  Exec("VACUUM ANALYZE " + store_schema + ".journal");  // else the server's own comes mid-run
  Exec("VACUUM ANALYZE accounts");
  Exec("VACUUM ANALYZE items");
  auto prepare = [&](const char* name, const char* sql, int params) {
    PGresult* result = PQprepare(conn_, name, sql, params, nullptr);
    bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    if (!ok)
      throw std::runtime_error(std::string("prepare ") + name + ": " + PQerrorMessage(conn_));
  };
  prepare("by_number",
          "SELECT id, label FROM accounts WHERE id >= $1 AND id < $2 ORDER BY label, id", 2);
  prepare("by_label",
          "SELECT id, label FROM accounts WHERE label >= $1 AND label < $2 ORDER BY label, id", 2);
  prepare("item_list", "SELECT id, label, deleted FROM items ORDER BY label, id", 0);
  prepare("items_by_label",
          "SELECT id, label, deleted FROM items WHERE label >= $1 AND label < $2 "
          "ORDER BY label, id",
          2);
  prepare("write",
          "INSERT INTO items VALUES ($1, $2, $3, $4) ON CONFLICT (id) DO UPDATE SET "
          "label = excluded.label, deleted = excluded.deleted, body = excluded.body",
          4);
  prepare("write_with_version",
          "WITH written AS (INSERT INTO items VALUES ($1, $2, $3, $4) ON CONFLICT (id) DO UPDATE "
          "SET label = excluded.label, deleted = excluded.deleted, body = excluded.body "
          "RETURNING id, body) "
          "INSERT INTO item_versions (id, operator, after) SELECT id, 'bench', body FROM written",
          4);
}

PgFloor::~PgFloor() {
  PQfinish(conn_);
}

void PgFloor::Exec(const std::string& sql) {
  PGresult* result = PQexec(conn_, sql.c_str());
  ExecStatusType status = PQresultStatus(result);
  PQclear(result);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    throw std::runtime_error(sql + ": " + PQerrorMessage(conn_));
  }
}

std::string PgFloor::Rows(const char* statement, const std::string* params, int count,
                          int columns) {
  const char* data[4];
  int lengths[4], formats[4] = {1, 1, 1, 1};
  for (int k = 0; k < count; ++k) data[k] = params[k].data(), lengths[k] = params[k].size();
  PGresult* result = PQexecPrepared(conn_, statement, count, data, lengths, formats, 1);
  if (PQresultStatus(result) != PGRES_TUPLES_OK && PQresultStatus(result) != PGRES_COMMAND_OK) {
    std::string error = PQerrorMessage(conn_);
    PQclear(result);
    throw std::runtime_error(std::string(statement) + ": " + error);
  }
  std::string text;
  int rows = PQntuples(result);
  for (int r = 0; r < rows; ++r) {
    if (r > 0) text += kAttrMark;
    for (int c = 0; c < columns; ++c) {
      if (c > 0) text += kValueMark;
      text.append(PQgetvalue(result, r, c), PQgetlength(result, r, c));
    }
  }
  PQclear(result);
  return text;
}

std::string PgFloor::AccountsByNumber(const std::string& id_prefix) {
  std::string params[] = {id_prefix, PrefixEnd(id_prefix)};
  return Rows("by_number", params, 2, 2);
}

std::string PgFloor::AccountsByLabel(const std::string& label_prefix) {
  std::string params[] = {label_prefix, PrefixEnd(label_prefix)};
  return Rows("by_label", params, 2, 2);
}

std::string PgFloor::ItemList() {
  return Rows("item_list", nullptr, 0, 3);
}

std::string PgFloor::ItemsByLabel(const std::string& label_prefix) {
  std::string params[] = {label_prefix, PrefixEnd(label_prefix)};
  return Rows("items_by_label", params, 2, 3);
}

void PgFloor::WriteItem(const std::string& id, const std::string& label, const std::string& deleted,
                        const std::string& body) {
  std::string params[] = {id, label, deleted, body};
  Rows("write", params, 4, 0);
}

void PgFloor::WriteItemWithVersion(const std::string& id, const std::string& label,
                                   const std::string& deleted, const std::string& body) {
  std::string params[] = {id, label, deleted, body};
  Rows("write_with_version", params, 4, 0);
}

}  // namespace talvero::bench
