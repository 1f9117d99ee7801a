// The entry points of the control's shared library (libtalvero_control.so). Each hands the work to
// the component runtime with the library's own registration data: the one class it holds, the
// entry-item screen, under kControlClassId.
//
// The object a host gets answers kControlInterface with the Ctr_Talvero itself. Its site is the
// host's screen (a screen::Screen*); without one the control gets a headless screen of its own.
#include <memory>

#include "component/ctr_talvero.h"
#include "component_runtime/module.h"
#include "host/control_class.h"
#include "screen/display.h"
#include "screen/model.h"

namespace {

using talvero::runtime::ComponentObject;
using talvero::runtime::Module;
using talvero::runtime::Result;

class ControlObject : public ComponentObject {
 public:
  explicit ControlObject(talvero::screen::Screen* site) {
    if (site == nullptr) {
      own_display_ = std::make_unique<talvero::screen::HeadlessDisplay>();
      own_screen_ = std::make_unique<talvero::screen::Screen>(*own_display_);
      site = own_screen_.get();
    }
    control_ = std::make_unique<talvero::Ctr_Talvero>(*site);
  }
  ~ControlObject() override { control_.reset(); }  // before the screen it stands on

  void* Interface(const std::string& name) override {
    return name == talvero::host::kControlInterface ? control_.get() : nullptr;
  }

 private:
  std::unique_ptr<talvero::screen::HeadlessDisplay> own_display_;
  std::unique_ptr<talvero::screen::Screen> own_screen_;
  std::unique_ptr<talvero::Ctr_Talvero> control_;
};

void Anchor() {}

// The library's registration data lives as long as the library: the host unloads it only once
// DllCanUnloadNow says no object remains.
const Module& TheModule() {
  static const Module module(
      {{talvero::host::kControlClassId, talvero::host::kControlClassName,
        [](void* site) -> std::unique_ptr<ComponentObject> {
          return std::make_unique<ControlObject>(static_cast<talvero::screen::Screen*>(site));
        }}},
      reinterpret_cast<const void*>(&Anchor));
  return module;
}

}  // namespace

#define TALVERO_EXPORT extern "C" __attribute__((visibility("default")))

TALVERO_EXPORT Result DllRegisterServer() {
  return TheModule().Register();
}

TALVERO_EXPORT Result DllUnregisterServer() {
  return TheModule().Unregister();
}

TALVERO_EXPORT Result DllGetClassObject(const char* clsid, const char* iid, void** object) {
  return TheModule().GetClassObject(clsid, iid, object);
}

TALVERO_EXPORT Result DllCanUnloadNow() {
  return TheModule().CanUnloadNow();
}
