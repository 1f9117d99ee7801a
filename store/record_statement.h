#pragma once
// Inside the record table (record_table.cc, record_journal.cc): its prepared statements and the
// error of SQLite itself.
#include <sqlite3.h>

#include <string>
#include <string_view>

#include "gateways/dba_error.h"
#include "store/record_table.h"

namespace talvero::store {

[[noreturn]] inline void FailStorage(sqlite3* db, const std::string& what) {
  std::string reason = db ? sqlite3_errmsg(db) : "mémoire insuffisante";
  throw ComponentError(kErrStorage,
                       "Erreur de la base d'enregistrements (" + what + ") : " + reason);
}

// One prepared statement, kept for the life of the connection. Use() hands it out with fresh
// bindings; the returned guard resets it so that it never holds a read lock afterwards.
class RecordTable::Statement {
 public:
  Statement(sqlite3* db, const std::string& sql) : db_(db), sql_(sql) {
    if (sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) !=
        SQLITE_OK) {
      FailStorage(db, "préparation de " + sql);
    }
  }
  ~Statement() { sqlite3_finalize(stmt_); }

  class Use {
   public:
    explicit Use(Statement& s) : s_(s) {}
    ~Use() {
      sqlite3_reset(s_.stmt_);
      sqlite3_clear_bindings(s_.stmt_);
    }
    Use& Text(int i, const std::string& text) {
      s_.Check(sqlite3_bind_text(s_.stmt_, i, text.data(), static_cast<int>(text.size()),
                                 SQLITE_TRANSIENT));
      return *this;
    }
    // Ids and record texts are bytes, compared byte by byte; data() is never null, so an empty
    // text stays an empty blob and never becomes NULL.
    Use& Blob(int i, std::string_view bytes) {
      s_.Check(sqlite3_bind_blob(s_.stmt_, i, bytes.data(), static_cast<int>(bytes.size()),
                                 SQLITE_TRANSIENT));
      return *this;
    }
    Use& Int(int i, int value) {
      s_.Check(sqlite3_bind_int(s_.stmt_, i, value));
      return *this;
    }
    int Parameters() const { return sqlite3_bind_parameter_count(s_.stmt_); }
    sqlite3_stmt* Raw() { return s_.stmt_; }
    // True while a row is there.
    bool Step() {
      int rc = sqlite3_step(s_.stmt_);
      if (rc == SQLITE_ROW) return true;
      if (rc == SQLITE_DONE) return false;
      FailStorage(s_.db_, s_.sql_);
    }
    int IntColumn(int i) const { return sqlite3_column_int(s_.stmt_, i); }
    std::string_view Column(int i) const {
      auto data = static_cast<const char*>(sqlite3_column_blob(s_.stmt_, i));
      int size = sqlite3_column_bytes(s_.stmt_, i);
      return data ? std::string_view(data, size) : std::string_view();
    }

   private:
    Statement& s_;
  };

 private:
  void Check(int rc) {
    if (rc != SQLITE_OK) FailStorage(db_, sql_);
  }

  sqlite3* db_;
  std::string sql_;
  sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace talvero::store
