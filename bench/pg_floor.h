#pragma once
// The floor on the server: the queries of the screen answered by bare libpq from the bench's own
// tables in a schema of their own on the same server (one column per attribute read, the index
// that gives the rows in the order asked), prepared once, binary results joined into the very text
// the store's query gives.
#include <string>

struct pg_conn;

namespace talvero::bench {

class PgFloor {
 public:
  // Builds the floor's tables in `schema` from the records the bench store holds in
  // `store_schema` on the same server, then prepares the queries.
  PgFloor(const std::string& url, const std::string& schema, const std::string& store_schema);
  ~PgFloor();
  PgFloor(const PgFloor&) = delete;
  PgFloor& operator=(const PgFloor&) = delete;

  std::string AccountsByNumber(const std::string& id_prefix);
  std::string AccountsByLabel(const std::string& label_prefix);
  std::string ItemList();
  std::string ItemsByLabel(const std::string& label_prefix);
  void WriteItem(const std::string& id, const std::string& label, const std::string& deleted,
                 const std::string& body);
  // The same write keeping the item's new text as a version, in the same statement: appended to a
  // table without an index, the least a journal can cost.
  void WriteItemWithVersion(const std::string& id, const std::string& label,
                            const std::string& deleted, const std::string& body);

 private:
  void Exec(const std::string& sql);
  std::string Rows(const char* statement, const std::string* params, int count, int columns);
  pg_conn* conn_ = nullptr;
};

}  // namespace talvero::bench
