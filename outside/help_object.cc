#include "outside/help_object.h"

#include "gateways/dba.h"

namespace talvero::outside {
namespace {

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

}  // namespace

std::string HelpCall::Describe() const {
  switch (kind) {
    case Kind::kShow:
      return "AfficherAide(" + Quoted(page) + ", " + Quoted(mode) + ", " + Quoted(title) + ", " +
             Quoted(extra) + ")";
    case Kind::kClient:
      return std::string("DefinirClient(") + (with_object ? "object" : "none") + ")";
    case Kind::kBase:
      return std::string("DefinirBase(") + (with_object ? "object" : "none") + ")";
  }
  return "";
}

void HelpObject::AfficherAide(const std::string& page, const std::string& mode,
                              const std::string& title, const std::string& extra) {
  calls_.push_back({HelpCall::Kind::kShow, page, mode, title, extra});
  if (sink_) sink_(page, mode, title, extra);
}

void HelpObject::DefinirClient(std::shared_ptr<DBAClient> client) {
  calls_.push_back({HelpCall::Kind::kClient, "", "", "", "", client != nullptr});
  client_ = std::move(client);
}

void HelpObject::DefinirBase(std::shared_ptr<DBADatabase> base) {
  calls_.push_back({HelpCall::Kind::kBase, "", "", "", "", base != nullptr});
  base_ = std::move(base);
}

std::string HelpObject::Journal() const {
  std::string journal;
  for (const HelpCall& call : calls_) {
    if (!journal.empty()) journal += "\n";
    journal += call.Describe();
  }
  return journal;
}

}  // namespace talvero::outside
