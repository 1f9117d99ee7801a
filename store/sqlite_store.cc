#include "store/sqlite_store.h"

#include <filesystem>

#include "gateways/dba_error.h"
#include "store/record_table.h"
#include "store/selection.h"

namespace talvero::store {

struct SqliteDatabase::Impl {
  explicit Impl(const std::string& path) : table(path, FirstFiles()) {}
  RecordTable table;
};

namespace {

class SqliteFile : public RecordFile {
 public:
  SqliteFile(std::shared_ptr<SqliteDatabase::Impl> impl, std::string name)
      : RecordFile(std::move(name)), impl_(std::move(impl)) {}

 private:
  std::optional<std::string> Fetch(const std::string& id) override {
    return impl_->table.Get(Name(), id);
  }
  bool Store(const std::string& id, const std::string& text, bool only_new) override {
    if (only_new) return impl_->table.Insert(Name(), id, text);
    impl_->table.Put(Name(), id, text);
    return true;
  }

  std::shared_ptr<SqliteDatabase::Impl> impl_;
};

}  // namespace

std::shared_ptr<SqliteDatabase> SqliteDatabase::Open(const std::string& path, OpenMode mode) {
  if (mode == OpenMode::kExisting && path != ":memory:" && !std::filesystem::exists(path)) {
    throw ComponentError(kErrStorage, "Aucune base d'enregistrements à \"" + path + "\".");
  }
  return std::shared_ptr<SqliteDatabase>(new SqliteDatabase(std::make_unique<Impl>(path)));
}

SqliteDatabase::SqliteDatabase(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

SqliteDatabase::~SqliteDatabase() = default;

std::shared_ptr<DBAFile> SqliteDatabase::DBOpen(const std::string& file) {
  if (!impl_->table.HasFile(file)) {
    throw ComponentError(kErrNoSuchFile, "Le fichier " + file + " n'existe pas.");
  }
  return std::make_shared<SqliteFile>(impl_, file);
}

DynArrayPtr SqliteDatabase::DBQuery(const std::string& request, const std::string& options,
                                    int32_t& count) {
  Selection selection = Select(impl_->table, request);
  count = selection.count;
  return std::make_shared<DBADynArray>(std::move(selection.text));
}

void SqliteDatabase::DBTransaction(const std::function<void()>& body) {
  impl_->table.Transaction(body);
}

void SqliteDatabase::PutRecord(const std::string& file, const std::string& id,
                               const std::string& text) {
  impl_->table.Put(file, id, text);
}

bool SqliteDatabase::DeleteRecord(const std::string& file, const std::string& id) {
  return impl_->table.Delete(file, id);
}

std::optional<std::string> SqliteDatabase::GetRecord(const std::string& file,
                                                     const std::string& id) {
  return impl_->table.Get(file, id);
}

void SqliteDatabase::CreateFile(const std::string& file) {
  impl_->table.CreateFile(file);
}

std::vector<std::string> SqliteDatabase::Files() {
  return impl_->table.Files();
}

void SqliteDatabase::SetOperator(const std::string& name) {
  impl_->table.SetOperator(name);
}

void SqliteDatabase::ForEachRecord(const std::string& file, const Visitor& visit) {
  impl_->table.ForEach(file, visit);
}

std::vector<Version> SqliteDatabase::History(const std::string& file, const std::string& id) {
  return impl_->table.History(file, id);
}

void SqliteDatabase::Restore(const std::string& file, const std::string& id, int version) {
  impl_->table.Transaction([&] {
    std::optional<std::optional<std::string>> after = impl_->table.TextAfter(file, id, version);
    if (!after) {
      throw ComponentError(kErrRecordNotFound, "La version " + std::to_string(version) +
                                                   " de l'enregistrement \"" + id +
                                                   "\" du fichier " + file + " n'existe pas.");
    }
    if (*after) {
      impl_->table.Put(file, id, **after);
    } else {
      impl_->table.Delete(file, id);
    }
  });
}

std::vector<std::string> SqliteDatabase::IntegrityProblems() {
  return impl_->table.IntegrityProblems();
}

}  // namespace talvero::store
