#include "store/store.h"

#include "gateways/dba_error.h"
#include "gateways/dyn_array.h"
#include "store/pg_store.h"
#include "store/sqlite_store.h"

namespace talvero::store {

DynArrayPtr RecordFile::DBRead(const std::string& id) {
  std::optional<std::string> text = Fetch(id);
  if (!text) {
    throw ComponentError(kErrRecordNotFound, "L'enregistrement \"" + id +
                                                 "\" n'existe pas dans le fichier " + name_ + ".");
  }
  return Bound(*text, id);
}

DynArrayPtr RecordFile::DBRecord(const std::string& id) {
  return Bound(Fetch(id).value_or(""), id);
}

DynArrayPtr RecordFile::Bound(const std::string& text, const std::string& id) {
  auto record = std::make_shared<DBADynArray>(text);
  record->Bind(shared_from_this(), id);
  return record;
}

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

bool IsUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
    int follow = byte(0) < 0x80   ? 0
                 : byte(0) < 0xC2 ? -1
                 : byte(0) < 0xE0 ? 1
                 : byte(0) < 0xF0 ? 2
                 : byte(0) < 0xF5 ? 3
                                  : -1;
    if (follow < 0 || text.size() - i <= static_cast<size_t>(follow)) return false;
    for (int k = 1; k <= follow; ++k) {
      if ((byte(k) & 0xC0) != 0x80) return false;
    }
    // No overlong forms, no surrogates, nothing past U+10FFFF.
    if ((byte(0) == 0xE0 && byte(1) < 0xA0) || (byte(0) == 0xED && byte(1) >= 0xA0) ||
        (byte(0) == 0xF0 && byte(1) < 0x90) || (byte(0) == 0xF4 && byte(1) >= 0x90)) {
      return false;
    }
    i += follow + 1;
  }
  return true;
}

void CheckFileName(const std::string& file) {
  // The name must fit in a query sentence as one word, and be a text every backend can hold.
  if (file.empty() || !IsUtf8(file) ||
      file.find_first_of(std::string(" \t\r\n\"") + kAttrMark + kValueMark + kSubMark) !=
          std::string::npos) {
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
