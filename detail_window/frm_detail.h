#pragma once
// Frm_Detail: the window that edits which entry items make up the base of a component item. It
// works on the working record EnrCreation (attribute 14 "I" include / "R" remove, attribute 15 the
// item codes) and can only be left through Cmd_Retour, which stores the choice.
#include <cstdint>

#include "component/variables.h"
#include "screen/designs.h"
#include "screen/model.h"

namespace talvero {

class Frm_Detail {
 public:
  explicit Frm_Detail(screen::Surface& window);
  screen::Surface& Window() { return window_; }

  // Procedures of the window.
  void Remplir_RubSaisie();
  void Remplir_Liste();
  void Masquer_Cadre();
  void Afficher_Cadre();
  void Verif_TabDyn();

  // Event handlers.
  void Form_Load();
  void Form_Unload(int& Cancel);
  void Opt_Inclure_Click();
  void Opt_Retire_Click();
  void Lst_ListeRubSai_DblClick();
  void Lst_LibRubSai_DblClick();
  void Cmd_Gauche_Click();
  void Cmd_Droite_Click();
  void Cmd_Retour_Click();
  void Form_MouseDown(int& Button, int& Shift, float& x, float& y);
  void Cdr_Rubrique_MouseDown(int& Button, int& Shift, float& x, float& y);
  void Mnu_Sommaire_Click() {}

  DynArrayPtr ListeDetail;
  int16_t FermetureAutorisee = 0;

 private:
  screen::Surface& window_;

 public:
#define TALVERO_DECLARE_CONTROL(name) screen::Control& name;
  TALVERO_DETAIL_CONTROLS(TALVERO_DECLARE_CONTROL)
#undef TALVERO_DECLARE_CONTROL
};

}  // namespace talvero
