#pragma once
// The globals of module Variables: one set per user-interface thread of the host, shared by every
// instance of the control on that thread. Every object variable holds a counted reference; an
// empty pointer is an object that does not exist (never made, or released).
#include <memory>
#include <string>

#include "gateways/dba.h"

namespace talvero {

struct Variables {
  std::shared_ptr<DBAClient> Client;
  std::shared_ptr<DBADatabase> Base;
  std::shared_ptr<DBAFile> FicRubSaisie;
  std::shared_ptr<DBAFile> FicCompteur;
  std::shared_ptr<DBAFile> FicPlanComptable;
  DynArrayPtr EnrRubSaisie;  // record of the entry item being shown, created or written
  DynArrayPtr EnrCompteur;   // COMPTEUR "999": parameters and the code counter
  DynArrayPtr EnrCompte;     // last chart-of-accounts record read
  std::string CodeAffiche;   // code of the item last brought onto the screen
  bool RubSupprimee = false;
  bool ComptesActifs = false;
  DynArrayPtr EnrCreation;  // working image of the record being built (attributes 14 and 15)
  bool NePasFacturerActif = false;
};

Variables& Vars();

}  // namespace talvero
