#pragma once
// What talvero-host does around the control, without any window: opens the store the options
// name (the demo store by default), prepares the rights, tools and help objects, creates the
// control on the host's screen and starts it in the order the control requires: the database,
// the client, the rights, then Init.
#include <memory>
#include <string>

#include "component/ctr_talvero.h"
#include "component_runtime/runtime.h"
#include "host/options.h"
#include "outside/help_object.h"
#include "outside/rights_object.h"
#include "outside/tools_object.h"
#include "screen/model.h"
#include "store/store.h"

namespace talvero::host {

class HostSession {
 public:
  // Opens the store (building the demo store, or the --db store from --catalogue, on first use) and
  // installs the tools and help objects for this operator; the help object passes each page to the
  // screen's display. Throws std::runtime_error (or the store's ComponentError) when the store
  // cannot be opened.
  HostSession(const HostOptions& options, screen::Screen& screen);
  // Destroys the control first, then gives the library its default tools and help back.
  ~HostSession();
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;

  // Creates the control (by class id when the options ask for it) and hands it the database, the
  // client and the rights, in that order. Throws std::runtime_error when the class cannot be
  // made. A window draws the control between Create and Init, so that what Init shows is drawn.
  Ctr_Talvero& Create();
  // Calls Init on the control made by Create; what Init raises reaches the caller.
  void Init();
  // Create, then Init.
  Ctr_Talvero& Start();

  Ctr_Talvero* Control() const { return control_; }
  const std::shared_ptr<store::Store>& Database() const { return database_; }
  // Where the store is, for the window's title.
  const std::string& StorePath() const { return store_path_; }
  // True when this run built the store (the demo store, or --db from --catalogue).
  bool BuiltStore() const { return built_store_; }

 private:
  HostOptions options_;
  screen::Screen& screen_;
  std::string store_path_;
  bool built_store_ = false;
  std::shared_ptr<store::Store> database_;
  std::shared_ptr<outside::ConfiguredRights> rights_;
  std::shared_ptr<outside::ToolsObject> tools_;
  std::shared_ptr<outside::HelpObject> help_;
  // The control: one of these two holds it.
  runtime::Instance instance_;
  std::unique_ptr<Ctr_Talvero> linked_;
  Ctr_Talvero* control_ = nullptr;
};

}  // namespace talvero::host
