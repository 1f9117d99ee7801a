#include "component_runtime/runtime.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>

#include "component_runtime/registry.h"

namespace talvero::runtime {

namespace {

void Explain(std::string* why, const std::string& text) {
  if (why != nullptr) *why = text;
}

std::string Hex(Result result) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
  return text;
}

template <typename Function>
bool Find(void* handle, const char* name, Function& function, std::string* why) {
  function = reinterpret_cast<Function>(dlsym(handle, name));
  if (function == nullptr) Explain(why, std::string("the library has no ") + name);
  return function != nullptr;
}

}  // namespace

std::shared_ptr<Library> Library::Load(const std::string& path, std::string* why) {
  std::error_code error;
  std::string absolute = std::filesystem::absolute(path, error).string();
  // RTLD_LOCAL: two component libraries never see each other's symbols.
  void* handle = dlopen(error ? path.c_str() : absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    Explain(why, "cannot load " + path + ": " + (reason ? reason : "unknown reason"));
    return nullptr;
  }
  std::shared_ptr<Library> library(new Library);
  library->handle_ = handle;
  library->path_ = error ? path : absolute;
  if (!Find(handle, "DllRegisterServer", library->register_, why) ||
      !Find(handle, "DllUnregisterServer", library->unregister_, why) ||
      !Find(handle, "DllGetClassObject", library->get_class_object_, why) ||
      !Find(handle, "DllCanUnloadNow", library->can_unload_now_, why)) {
    return nullptr;  // the destructor unloads it: nothing of it was used
  }
  return library;
}

Library::~Library() {
  if (handle_ == nullptr) return;
  // A library whose objects are still alive stays loaded: unloading it would pull their code
  // from under them.
  if (can_unload_now_ == nullptr || can_unload_now_() == kOk) dlclose(handle_);
}

Result Library::GetClassObject(const std::string& clsid, ClassFactory** factory) const {
  void* object = nullptr;
  Result result = get_class_object_(clsid.c_str(), kClassFactoryInterface, &object);
  *factory = result == kOk ? static_cast<ClassFactory*>(object) : nullptr;
  return result;
}

Instance& Instance::operator=(Instance&& other) noexcept {
  object.reset();
  library = std::move(other.library);
  object = std::move(other.object);
  return *this;
}

Result CreateInstance(const std::string& clsid, void* site, Instance& instance, std::string* why) {
  std::optional<ClassEntry> entry;
  try {
    entry = ReadClassEntry(clsid);
  } catch (const std::exception& e) {
    Explain(why, e.what());
    return kClassNotRegistered;
  }
  if (!entry) {
    Explain(why, "class " + clsid + " is not registered");
    return kClassNotRegistered;
  }
  std::shared_ptr<Library> library = Library::Load(entry->library, why);
  if (!library) return kClassNotAvailable;
  ClassFactory* factory = nullptr;
  Result result = library->GetClassObject(clsid, &factory);
  if (result != kOk) {
    Explain(why, entry->library + " gives no factory for " + clsid + " (" + Hex(result) + ")");
    return result;
  }
  Instance made;
  made.library = library;
  result = factory->CreateInstance(site, made.object);
  if (result != kOk) {
    Explain(why, "the factory of " + clsid + " failed (" + Hex(result) + ")");
    return result;
  }
  instance = std::move(made);
  return kOk;
}

Result RegisterLibrary(const std::string& path, std::string* why) {
  std::shared_ptr<Library> library = Library::Load(path, why);
  if (!library) return kFail;
  Result result = library->Register();
  if (result != kOk) Explain(why, "DllRegisterServer failed (" + Hex(result) + ")");
  return result;
}

Result UnregisterLibrary(const std::string& path, std::string* why) {
  std::shared_ptr<Library> library = Library::Load(path, why);
  if (!library) return kFail;
  Result result = library->Unregister();
  if (result != kOk) Explain(why, "DllUnregisterServer failed (" + Hex(result) + ")");
  return result;
}

}  // namespace talvero::runtime
