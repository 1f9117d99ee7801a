#pragma once
// The floor: each query of the screen answered by bare SQLite from the bench's own tables (one
// column per attribute read, the index that gives the rows in the order asked), its rows joined
// into the very text the store's query gives, so that both can be compared byte for byte.
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace talvero::bench {

class Floor {
 public:
  explicit Floor(const std::string& path);
  ~Floor();
  Floor(const Floor&) = delete;
  Floor& operator=(const Floor&) = delete;

  // Accounts whose id starts with prefix, by label then id: "id]label^...".
  std::string AccountsByNumber(const std::string& id_prefix);
  // Accounts whose label starts with prefix, by label then id.
  std::string AccountsByLabel(const std::string& label_prefix);
  // Every item by label then id: "id]label]deleted^...".
  std::string ItemList();
  // Items whose label starts with prefix.
  std::string ItemsByLabel(const std::string& label_prefix);
  // One durable write of an item: synced on disk when it returns.
  void WriteItem(const std::string& id, const std::string& label, const std::string& deleted,
                 const std::string& body);
  // The same write keeping the item's new text as a version, in the same transaction: appended to
  // a table without an index, the least a journal can cost.
  void WriteItemWithVersion(const std::string& id, const std::string& label,
                            const std::string& deleted, const std::string& body);
  // SQLite's plan of each query, for the report.
  std::string Plans();

 private:
  sqlite3_stmt* Prepare(const char* sql);
  std::string Rows(sqlite3_stmt* stmt, int columns);
  void Step(sqlite3_stmt* stmt, const char* what);
  void BindItem(sqlite3_stmt* stmt, const std::string& id, const std::string& label,
                const std::string& deleted, const std::string& body);

  sqlite3* db_ = nullptr;
  sqlite3_stmt* by_number_ = nullptr;
  sqlite3_stmt* by_label_ = nullptr;
  sqlite3_stmt* item_list_ = nullptr;
  sqlite3_stmt* items_by_label_ = nullptr;
  sqlite3_stmt* write_ = nullptr;
  sqlite3_stmt* begin_ = nullptr;
  sqlite3_stmt* add_version_ = nullptr;
  sqlite3_stmt* commit_ = nullptr;
};

}  // namespace talvero::bench
