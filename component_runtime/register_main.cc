// talvero-register [--unregister] LIBRARY
// Registers (or unregisters) the classes of a component library for this user, by calling its
// DllRegisterServer (DllUnregisterServer). Exit status 0 on success, 1 when the library refused,
// 2 for a bad command line.
#include <iostream>
#include <string>

#include "component_runtime/registry.h"
#include "component_runtime/runtime.h"

namespace {

constexpr const char* kUsage = "usage: talvero-register [--unregister] LIBRARY\n";

int Usage(const std::string& problem) {
  std::cerr << "talvero-register: " << problem << "\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool unregister = false;
  std::string library;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage
                << "Records the library's classes in the class registry of this user, or removes "
                   "them.\n";
      return 0;
    }
    if (arg == "--unregister" || arg == "-u") {
      unregister = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option " + arg);
    } else if (!library.empty()) {
      return Usage("one library at a time");
    } else {
      library = arg;
    }
  }
  if (library.empty()) return Usage("no library");
  std::string why;
  talvero::runtime::Result result = unregister ? talvero::runtime::UnregisterLibrary(library, &why)
                                               : talvero::runtime::RegisterLibrary(library, &why);
  if (result != talvero::runtime::kOk) {
    std::cerr << "talvero-register: " << why << "\n";
    return 1;
  }
  try {
    std::cout << (unregister ? "unregistered " : "registered ") << library << " ("
              << talvero::runtime::ClassesFolder().string() << ")\n";
  } catch (const std::exception&) {
  }
  return 0;
}
