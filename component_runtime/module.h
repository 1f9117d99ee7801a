#pragma once
// What a component library keeps about itself, and the work behind its four entry points
// (component.h). The library defines one Module and lets each entry point delegate to it:
//
//   const runtime::Module& TheModule() {
//     static auto* module = new runtime::Module({{kClassId, "My.Class", MakeObject}}, &Anchor);
//     return *module;
//   }
//   extern "C" runtime::Result DllRegisterServer() { return TheModule().Register(); }
//
// Every object the module's factories make is counted until it is destroyed, so that
// DllCanUnloadNow never lets a host unload code that live objects still run.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "component_runtime/component.h"

namespace talvero::runtime {

struct ClassInfo {
  std::string clsid;
  std::string name;
  // Makes one object for the host's site; nullptr when it cannot.
  std::function<std::unique_ptr<ComponentObject>(void* site)> create;
};

class Module {
 public:
  // `anchor` is any address inside the library (a function of its own): the runtime finds the
  // library's path from it when registering.
  Module(std::vector<ClassInfo> classes, const void* anchor);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // Writes every class of the library in the class registry, with the library's path.
  Result Register() const;
  // Removes every class of the library from the registry (those not there are passed over).
  Result Unregister() const;
  // The factory of the class (its id in any case); iid must be kClassFactoryInterface.
  Result GetClassObject(const char* clsid, const char* iid, void** object) const;
  // kOk when no object made by this module is alive, kFalse otherwise.
  Result CanUnloadNow() const;
  int LiveObjects() const { return live_->load(); }

  // The path of the loaded file that holds `address` ("" when unknown).
  static std::string LibraryPath(const void* address);

 private:
  class Factory;
  std::vector<ClassInfo> classes_;
  const void* anchor_;
  std::shared_ptr<std::atomic<int>> live_;
  std::vector<std::unique_ptr<Factory>> factories_;
};

}  // namespace talvero::runtime
