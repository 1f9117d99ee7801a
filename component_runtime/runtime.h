#pragma once
// The host's side of the component runtime: loading a component library, registering it, and
// making an object of a registered class by its id.
//
//   runtime::Instance control;
//   std::string why;
//   if (runtime::CreateInstance(clsid, &screen, control, &why) != runtime::kOk) ...
//   auto* ctr = static_cast<Ctr_Talvero*>(control.object->Interface("Ctr_Talvero"));
//
// A library stays loaded while any Instance made from it is alive, and is unloaded afterwards
// only when its DllCanUnloadNow agrees.
#include <memory>
#include <string>

#include "component_runtime/component.h"

namespace talvero::runtime {

class Library {
 public:
  // Loads the library at `path`; nullptr (and `why` filled) when it cannot be loaded or lacks
  // one of the four entry points.
  static std::shared_ptr<Library> Load(const std::string& path, std::string* why = nullptr);
  ~Library();  // unloads only when DllCanUnloadNow answers kOk
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  Result Register() const { return register_(); }
  Result Unregister() const { return unregister_(); }
  Result GetClassObject(const std::string& clsid, ClassFactory** factory) const;
  Result CanUnloadNow() const { return can_unload_now_(); }
  const std::string& Path() const { return path_; }

 private:
  Library() = default;
  void* handle_ = nullptr;
  std::string path_;
  RegisterServerFunction register_ = nullptr;
  RegisterServerFunction unregister_ = nullptr;
  GetClassObjectFunction get_class_object_ = nullptr;
  CanUnloadNowFunction can_unload_now_ = nullptr;
};

// An object made by class id, and the library whose code it runs (released after the object).
struct Instance {
  std::shared_ptr<Library> library;
  std::unique_ptr<ComponentObject> object;

  Instance() = default;
  Instance(Instance&&) = default;
  Instance& operator=(Instance&& other) noexcept;
  ~Instance() { object.reset(); }
};

// Looks the class up in the registry, loads its library and makes one object for `site`.
// kClassNotRegistered when the registry has no such class; `why` says what went wrong.
Result CreateInstance(const std::string& clsid, void* site, Instance& instance,
                      std::string* why = nullptr);

// Loads the library and calls its DllRegisterServer / DllUnregisterServer.
Result RegisterLibrary(const std::string& path, std::string* why = nullptr);
Result UnregisterLibrary(const std::string& path, std::string* why = nullptr);

}  // namespace talvero::runtime
