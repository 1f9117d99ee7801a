#pragma once
// Our own rights object: the access level of each screen is whatever the host configured, so that
// the replay tool and the tests can play an operator with full or read-only rights.
#include <map>
#include <memory>
#include <string>

#include "gateways/rights.h"

namespace talvero::outside {

class ConfiguredRights : public ProfilDroits {
 public:
  // Full access unless configured otherwise.
  static constexpr int32_t kFullAccess = 2;

  ConfiguredRights();

  // The level given for that screen name; other names get the default level.
  void SetLevel(const std::string& screen, int32_t level);
  void SetDefaultLevel(int32_t level);

  // The returned module reads the configured level each time NiveauAcces is called, so a level
  // changed after the control asked for its module is seen on the next reading.
  std::shared_ptr<DroitModule> DroitsModule(const std::string& screen) override;

  // How many times DroitsModule was called with that screen name.
  int QueryCount(const std::string& screen) const;

 private:
  struct Levels {
    std::map<std::string, int32_t> by_screen;
    int32_t default_level = kFullAccess;
    int32_t LevelOf(const std::string& screen) const;
  };

  // Shared with the modules handed out, which may outlive this object.
  std::shared_ptr<Levels> levels_;
  std::map<std::string, int> query_counts_;
};

}  // namespace talvero::outside
