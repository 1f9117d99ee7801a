#pragma once
// The shared tools object and the shared help object. One instance of each for the whole
// library, created on first use; the host may install its own before creating the control.
#include <cstdint>
#include <memory>
#include <string>

namespace talvero {

namespace screen {
class Control;
}
class DBAClient;
class DBADatabase;

class Outils {
 public:
  virtual ~Outils() = default;
  // True when the operator is one of the maker's own users.
  virtual bool EstUtilisateur(const std::string& name) = 0;
  // The one extra key the code field accepts.
  virtual std::string CaractereSaisie() = 0;
  // Filters a key typed into a numeric field: sets key to 0 to swallow it, may replace it.
  virtual void FiltrerTouche(screen::Control& field, int& key, int32_t option) = 0;
  // The field's text in its display format with `integers` digits before and `decimals` after
  // the decimal comma; a text that is not a number comes back unchanged.
  virtual std::string FormaterZone(screen::Control& field, int integers, int decimals) = 0;
  // A number text formatted the same way.
  virtual std::string FormatNombre(const std::string& number, int integers, int decimals,
                                   int flag) = 0;
};

class AideEnLigne {
 public:
  virtual ~AideEnLigne() = default;
  virtual void AfficherAide(const std::string& page, const std::string& mode,
                            const std::string& title, const std::string& extra) = 0;
  virtual void DefinirClient(std::shared_ptr<DBAClient> client) = 0;
  virtual void DefinirBase(std::shared_ptr<DBADatabase> base) = 0;
};

// The shared instances. Until the host installs one, the library makes its default on first use.
Outils& SharedOutils();
AideEnLigne& SharedAide();
void InstallOutils(std::shared_ptr<Outils> tools);
void InstallAide(std::shared_ptr<AideEnLigne> help);

}  // namespace talvero
