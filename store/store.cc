#include "store/store.h"

#include "gateways/dba_error.h"
#include "gateways/dyn_array.h"
#include "store/pg_store.h"
#include "store/sqlite_store.h"

namespace talvero::store {

const std::vector<std::string>& FirstFiles() {
  static const std::vector<std::string> files = {"RUBSAISIE", "COMPTEUR", "PLANCOMPTABLE",
                                                 "ASSOCIATION"};
  return files;
}

bool IsServerUrl(const std::string& path_or_url) {
  return path_or_url.rfind("postgresql://", 0) == 0 || path_or_url.rfind("postgres://", 0) == 0;
}

std::shared_ptr<Store> OpenStore(const std::string& path_or_url, OpenMode mode) {
  if (IsServerUrl(path_or_url)) return PgDatabase::Open(path_or_url, "", mode);
  return SqliteDatabase::Open(path_or_url, mode);
}

void CheckRecordId(const std::string& id) {
  if (id.empty()) {
    throw ComponentError(kErrStorage, "Identifiant d'enregistrement vide.");
  }
  if (id.find_first_of(std::string{kAttrMark, kValueMark, kSubMark}) != std::string::npos) {
    throw ComponentError(kErrStorage, "Identifiant d'enregistrement contenant un séparateur.");
  }
}

void CheckFileName(const std::string& file) {
  // The name must fit in a query sentence as one word.
  if (file.empty() || file.find_first_of(std::string(" \t\r\n\"") + kAttrMark + kValueMark +
                                         kSubMark) != std::string::npos) {
    throw ComponentError(kErrStorage, "Nom de fichier invalide : \"" + file + "\".");
  }
}

std::optional<std::string> PrefixEnd(std::string prefix) {
  while (!prefix.empty() && static_cast<unsigned char>(prefix.back()) == 0xFF) prefix.pop_back();
  if (prefix.empty()) return std::nullopt;
  prefix.back() = static_cast<char>(static_cast<unsigned char>(prefix.back()) + 1);
  return prefix;
}

}  // namespace talvero::store
