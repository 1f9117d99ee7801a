#pragma once
// Our own help object: keeps every call in order and hands each help request to an optional sink
// (the replay tool logs it as a help page the operator sees).
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gateways/tools.h"

namespace talvero::outside {

// One call made on the help object.
struct HelpCall {
  enum class Kind { kClient, kBase, kShow };
  Kind kind;
  // AfficherAide's four strings; empty for the other calls.
  std::string page, mode, title, extra;
  // DefinirClient / DefinirBase: whether an object was handed (not a null pointer).
  bool with_object = false;

  // One line: AfficherAide("page", "mode", "title", "extra"), DefinirClient(object) or
  // DefinirBase(none).
  std::string Describe() const;
};

class HelpObject : public AideEnLigne {
 public:
  using Sink = std::function<void(const std::string& page, const std::string& mode,
                                  const std::string& title, const std::string& extra)>;

  // Receives every AfficherAide after it is recorded; an empty sink drops them.
  void SetSink(Sink sink) { sink_ = std::move(sink); }

  void AfficherAide(const std::string& page, const std::string& mode, const std::string& title,
                    const std::string& extra) override;
  void DefinirClient(std::shared_ptr<DBAClient> client) override;
  void DefinirBase(std::shared_ptr<DBADatabase> base) override;

  const std::vector<HelpCall>& Calls() const { return calls_; }
  // The calls described one per line, joined by "\n".
  std::string Journal() const;
  // The last objects handed in (null until then).
  const std::shared_ptr<DBAClient>& Client() const { return client_; }
  const std::shared_ptr<DBADatabase>& Base() const { return base_; }

 private:
  Sink sink_;
  std::vector<HelpCall> calls_;
  std::shared_ptr<DBAClient> client_;
  std::shared_ptr<DBADatabase> base_;
};

}  // namespace talvero::outside
