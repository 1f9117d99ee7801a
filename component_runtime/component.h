#pragma once
// The binary interface between an in-process component library and its hosts.
//
// A component library exports four C functions, each of which hands the work to a Module
// (module.h) holding the library's own registration data:
//
//   Result DllRegisterServer();    records the library's classes in the per-user class registry
//   Result DllUnregisterServer();  removes them
//   Result DllGetClassObject(const char* clsid, const char* iid, void** object);
//       *object = the class factory of that class; iid must be kClassFactoryInterface
//   Result DllCanUnloadNow();      kOk when no object of the library is alive, kFalse otherwise
//
// Hosts reach a class by its id through runtime.h, which loads the library the registry names.
// The factory belongs to the library (a host never deletes it); the objects it makes belong to
// the host, which destroys them before the library may be unloaded.
#include <cstdint>
#include <memory>
#include <string>

namespace talvero::runtime {

using Result = int32_t;
constexpr Result kOk = 0;
constexpr Result kFalse = 1;
constexpr Result kNoInterface = static_cast<Result>(0x80004002);
constexpr Result kPointer = static_cast<Result>(0x80004003);
constexpr Result kFail = static_cast<Result>(0x80004005);
constexpr Result kClassNotAvailable = static_cast<Result>(0x80040111);
constexpr Result kClassNotRegistered = static_cast<Result>(0x80040154);
constexpr Result kRegistrationFailed = static_cast<Result>(0x80040201);

// The name a class factory answers to in DllGetClassObject.
inline constexpr const char* kClassFactoryInterface = "ClassFactory";

// An object made by a class factory; destroying it releases it.
class ComponentObject {
 public:
  virtual ~ComponentObject() = default;
  // The object seen through the named interface, or nullptr when it has none of that name.
  virtual void* Interface(const std::string& name) = 0;
};

class ClassFactory {
 public:
  virtual ~ClassFactory() = default;
  // Makes a new object. `site` is what the host hands the new object (a control's screen, for
  // instance), nullptr when it has nothing to hand.
  virtual Result CreateInstance(void* site, std::unique_ptr<ComponentObject>& object) = 0;
};

// The four entry points, as hosts find them with dlsym.
using RegisterServerFunction = Result (*)();
using GetClassObjectFunction = Result (*)(const char* clsid, const char* iid, void** object);
using CanUnloadNowFunction = Result (*)();

}  // namespace talvero::runtime
