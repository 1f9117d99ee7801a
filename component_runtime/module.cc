#include "component_runtime/module.h"

#include <dlfcn.h>
#include <strings.h>

#include <exception>
#include <filesystem>

#include "component_runtime/registry.h"

namespace talvero::runtime {

namespace {

// Wraps each object handed out, so that the module knows how many are alive.
class CountedObject : public ComponentObject {
 public:
  CountedObject(std::unique_ptr<ComponentObject> inner, std::shared_ptr<std::atomic<int>> live)
      : inner_(std::move(inner)), live_(std::move(live)) {
    ++*live_;
  }
  ~CountedObject() override {
    inner_.reset();  // the object's own tear-down still runs the library's code
    --*live_;
  }
  void* Interface(const std::string& name) override { return inner_->Interface(name); }

 private:
  std::unique_ptr<ComponentObject> inner_;
  std::shared_ptr<std::atomic<int>> live_;
};

}  // namespace

class Module::Factory : public ClassFactory {
 public:
  Factory(const ClassInfo& info, std::shared_ptr<std::atomic<int>> live)
      : info_(info), live_(std::move(live)) {}
  const ClassInfo& Info() const { return info_; }

  Result CreateInstance(void* site, std::unique_ptr<ComponentObject>& object) override {
    object.reset();
    try {
      std::unique_ptr<ComponentObject> made = info_.create(site);
      if (!made) return kFail;
      object = std::make_unique<CountedObject>(std::move(made), live_);
      return kOk;
    } catch (const std::exception&) {
      // No exception may cross the library's boundary: the host may be built otherwise.
      return kFail;
    }
  }

 private:
  const ClassInfo& info_;
  std::shared_ptr<std::atomic<int>> live_;
};

Module::Module(std::vector<ClassInfo> classes, const void* anchor)
    : classes_(std::move(classes)), anchor_(anchor), live_(std::make_shared<std::atomic<int>>(0)) {
  for (const ClassInfo& info : classes_)
    factories_.push_back(std::make_unique<Factory>(info, live_));
}

Module::~Module() = default;

std::string Module::LibraryPath(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return "";
  std::error_code error;
  std::filesystem::path path = std::filesystem::canonical(info.dli_fname, error);
  return error ? std::string(info.dli_fname) : path.string();
}

Result Module::Register() const {
  std::string library = LibraryPath(anchor_);
  if (library.empty()) return kRegistrationFailed;
  try {
    for (const ClassInfo& info : classes_) WriteClassEntry({info.clsid, info.name, library});
  } catch (const std::exception&) {
    return kRegistrationFailed;
  }
  return kOk;
}

Result Module::Unregister() const {
  try {
    for (const ClassInfo& info : classes_) RemoveClassEntry(info.clsid);
  } catch (const std::exception&) {
    return kRegistrationFailed;
  }
  return kOk;
}

Result Module::GetClassObject(const char* clsid, const char* iid, void** object) const {
  if (object == nullptr) return kPointer;
  *object = nullptr;
  if (clsid == nullptr || iid == nullptr) return kPointer;
  for (const auto& factory : factories_) {
    if (strcasecmp(factory->Info().clsid.c_str(), clsid) != 0) continue;
    if (std::string(iid) != kClassFactoryInterface) return kNoInterface;
    *object = static_cast<ClassFactory*>(factory.get());
    return kOk;
  }
  return kClassNotAvailable;
}

Result Module::CanUnloadNow() const {
  return live_->load() == 0 ? kOk : kFalse;
}

}  // namespace talvero::runtime
