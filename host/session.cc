#include "host/session.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "host/control_class.h"
#include "host/demo_store.h"
#include "screen/display.h"

namespace talvero::host {

namespace {

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

HostSession::HostSession(const HostOptions& options, screen::Screen& screen)
    : options_(options), screen_(screen) {
  if (options.db) {
    store_path_ = *options.db;
    if (options.catalogue && !store::IsServerUrl(store_path_) &&
        !std::filesystem::exists(store_path_)) {
      BuildStore(store_path_, ReadTextFile(*options.catalogue));
      built_store_ = true;
    }
    database_ = store::OpenStore(store_path_);
  } else {
    store_path_ = DefaultDemoStorePath(ProcessEnvironment()).string();
    database_ = OpenDemoStore(store_path_, &built_store_);
  }
  rights_ = std::make_shared<outside::ConfiguredRights>();
  rights_->SetDefaultLevel(options.level);
  tools_ = std::make_shared<outside::ToolsObject>();
  tools_->SetMaker(options.maker);
  tools_->SetSpecialKey(options.special_key);
  help_ = std::make_shared<outside::HelpObject>();
  help_->SetSink([&display = screen.GetDisplay()](
                     const std::string& page, const std::string& mode, const std::string& title,
                     const std::string& extra) { display.Help(page, mode, title, extra); });
  InstallOutils(tools_);
  InstallAide(help_);
}

HostSession::~HostSession() {
  linked_.reset();
  instance_ = runtime::Instance();
  InstallOutils(nullptr);
  InstallAide(nullptr);
}

Ctr_Talvero& HostSession::Create() {
  if (control_ != nullptr) throw std::logic_error("the control is already started");
  if (options_.clsid) {
    std::string why;
    if (runtime::CreateInstance(*options_.clsid, &screen_, instance_, &why) != runtime::kOk)
      throw std::runtime_error(why);
    control_ = static_cast<Ctr_Talvero*>(instance_.object->Interface(kControlInterface));
    if (control_ == nullptr)
      throw std::runtime_error("class " + *options_.clsid + " is not the entry-item screen");
  } else {
    linked_ = std::make_unique<Ctr_Talvero>(screen_);
    control_ = linked_.get();
  }
  control_->TheDatabase(database_);
  // The store's journal names the operator of the client handed in.
  auto client = std::make_shared<DBAClient>();
  database_->SetOperator(client->Name());
  control_->TheClient(client);
  control_->DroitsUtilisateur(rights_);
  return *control_;
}

void HostSession::Init() {
  if (control_ == nullptr) throw std::logic_error("no control: Create has not run");
  control_->Init();
}

Ctr_Talvero& HostSession::Start() {
  Create();
  Init();
  return *control_;
}

}  // namespace talvero::host
