// The library-wide tools and help objects. Everything runs on the host's user-interface thread,
// so the slots need no lock. Installing a new object releases the previous one: callers fetch the
// shared instance each time they use it rather than keeping the reference.
#include <memory>

#include "gateways/tools.h"
#include "outside/help_object.h"
#include "outside/tools_object.h"

namespace talvero {
namespace {

std::shared_ptr<Outils>& ToolsSlot() {
  static std::shared_ptr<Outils> tools;
  return tools;
}

std::shared_ptr<AideEnLigne>& HelpSlot() {
  static std::shared_ptr<AideEnLigne> help;
  return help;
}

}  // namespace

Outils& SharedOutils() {
  std::shared_ptr<Outils>& tools = ToolsSlot();
  if (!tools) tools = std::make_shared<outside::ToolsObject>();
  return *tools;
}

AideEnLigne& SharedAide() {
  std::shared_ptr<AideEnLigne>& help = HelpSlot();
  if (!help) help = std::make_shared<outside::HelpObject>();
  return *help;
}

// A null object puts the slot back to its default, made again on next use.
void InstallOutils(std::shared_ptr<Outils> tools) {
  ToolsSlot() = std::move(tools);
}

void InstallAide(std::shared_ptr<AideEnLigne> help) {
  HelpSlot() = std::move(help);
}

}  // namespace talvero
