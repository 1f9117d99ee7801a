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

// An open file. Records read from it stay bound to it, so a file (and the connection behind it)
// lives as long as any of its records.
class SqliteFile : public DBAFile,
                   public RecordSink,
                   public std::enable_shared_from_this<SqliteFile> {
 public:
  SqliteFile(std::shared_ptr<SqliteDatabase::Impl> impl, std::string name)
      : impl_(std::move(impl)), name_(std::move(name)) {}

  const std::string& Name() const override { return name_; }

  DynArrayPtr DBRead(const std::string& id) override {
    std::optional<std::string> text = impl_->table.Get(name_, id);
    if (!text) {
      throw ComponentError(
          kErrRecordNotFound,
          "L'enregistrement \"" + id + "\" n'existe pas dans le fichier " + name_ + ".");
    }
    return Bound(*text, id);
  }

  DynArrayPtr DBRecord(const std::string& id) override {
    return Bound(impl_->table.Get(name_, id).value_or(""), id);
  }

  bool DBInsert(const std::string& id, const std::string& text) override {
    return impl_->table.Insert(name_, id, text);
  }

  void WriteRecord(const std::string& id, const std::string& text) override {
    impl_->table.Put(name_, id, text);
  }

 private:
  DynArrayPtr Bound(const std::string& text, const std::string& id) {
    auto record = std::make_shared<DBADynArray>(text);
    record->Bind(shared_from_this(), id);
    return record;
  }

  std::shared_ptr<SqliteDatabase::Impl> impl_;
  std::string name_;
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
  return std::make_shared<DBADynArray>(selection.text);
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
