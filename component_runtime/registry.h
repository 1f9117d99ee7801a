#pragma once
// The per-user class registry: one small file per registered class, in
// $XDG_CONFIG_HOME/talvero/classes (~/.config/talvero/classes when XDG_CONFIG_HOME is unset or
// not absolute), named after the class id in capitals:
//
//   {1CB349E0-9D58-4639-B684-331C3E66397F}.class
//     name=Talvero.Ctr_Talvero
//     library=/usr/local/lib/libtalvero_control.so
//
// Entries are replaced whole (written beside, then renamed), so a reader never sees half of one.
#include <filesystem>
#include <optional>
#include <string>

namespace talvero::runtime {

struct ClassEntry {
  std::string clsid;    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  std::string name;     // a readable name of the class
  std::string library;  // the absolute path of the library that holds it
};

// The registry folder of this user. Throws std::runtime_error when neither XDG_CONFIG_HOME nor
// HOME gives one.
std::filesystem::path ClassesFolder();

// Records the class, replacing an entry of the same id; creates the folder when needed. Throws
// std::runtime_error when the entry cannot be written.
void WriteClassEntry(const ClassEntry& entry);
// The entry of that class id (any case), or nullopt when the class is not registered.
std::optional<ClassEntry> ReadClassEntry(const std::string& clsid);
// Removes the entry; false when there was none.
bool RemoveClassEntry(const std::string& clsid);

}  // namespace talvero::runtime
