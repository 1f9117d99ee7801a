#pragma once
// The access-rights component.
#include <cstdint>
#include <memory>
#include <string>

namespace talvero {

// One operator's rights on one screen.
class DroitModule {
 public:
  virtual ~DroitModule() = default;
  // 2 is full access (create, modify, delete); any other value is consultation only.
  virtual int32_t NiveauAcces() = 0;
};

// The rights object the host hands in.
class ProfilDroits {
 public:
  virtual ~ProfilDroits() = default;
  virtual std::shared_ptr<DroitModule> DroitsModule(const std::string& screen) = 0;
};

}  // namespace talvero
