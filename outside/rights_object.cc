#include "outside/rights_object.h"

#include <functional>
#include <utility>

namespace talvero::outside {
namespace {

class ConfiguredModule : public DroitModule {
 public:
  using LevelReader = std::function<int32_t()>;
  explicit ConfiguredModule(LevelReader reader) : reader_(std::move(reader)) {}
  int32_t NiveauAcces() override { return reader_(); }

 private:
  LevelReader reader_;
};

}  // namespace

ConfiguredRights::ConfiguredRights() : levels_(std::make_shared<Levels>()) {}

int32_t ConfiguredRights::Levels::LevelOf(const std::string& screen) const {
  auto found = by_screen.find(screen);
  return found == by_screen.end() ? default_level : found->second;
}

void ConfiguredRights::SetLevel(const std::string& screen, int32_t level) {
  levels_->by_screen[screen] = level;
}

void ConfiguredRights::SetDefaultLevel(int32_t level) {
  levels_->default_level = level;
}

std::shared_ptr<DroitModule> ConfiguredRights::DroitsModule(const std::string& screen) {
  ++query_counts_[screen];
  std::shared_ptr<const Levels> levels = levels_;
  return std::make_shared<ConfiguredModule>([levels, screen] { return levels->LevelOf(screen); });
}

int ConfiguredRights::QueryCount(const std::string& screen) const {
  auto found = query_counts_.find(screen);
  return found == query_counts_.end() ? 0 : found->second;
}

}  // namespace talvero::outside
