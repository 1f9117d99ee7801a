#include "detail_window/frm_detail.h"

#include <string>

#include "component/object_access.h"
#include "records/code_tables.h"

namespace talvero {
namespace {

// A row is the item's code, one space and its label.
std::string RowLabel(const std::string& row) {
  return row.size() > 4 ? row.substr(4) : "";
}
std::string RowCode(const std::string& row) {
  return row.substr(0, 3);
}

}  // namespace

#define TALVERO_BIND_CONTROL(name) , name(window_.Get(#name))

Frm_Detail::Frm_Detail(screen::Surface& window)
    : window_(window) TALVERO_DETAIL_CONTROLS(TALVERO_BIND_CONTROL) {
  window_.OnLoad = [this] { Form_Load(); };
  window_.OnUnload = [this](int& cancel) { Form_Unload(cancel); };
  window_.OnMouseDown = [this](int& b, int& s, float& x, float& y) { Form_MouseDown(b, s, x, y); };
  Cdr_Rubrique.OnMouseDown = [this](int& b, int& s, float& x, float& y) {
    Cdr_Rubrique_MouseDown(b, s, x, y);
  };
  Opt_Inclure.OnClick = [this] { Opt_Inclure_Click(); };
  Opt_Retire.OnClick = [this] { Opt_Retire_Click(); };
  Lst_ListeRubSai.OnDblClick = [this] { Lst_ListeRubSai_DblClick(); };
  Lst_LibRubSai.OnDblClick = [this] { Lst_LibRubSai_DblClick(); };
  Cmd_Gauche.OnClick = [this] { Cmd_Gauche_Click(); };
  Cmd_Droite.OnClick = [this] { Cmd_Droite_Click(); };
  Cmd_Retour.OnClick = [this] { Cmd_Retour_Click(); };
  Mnu_Sommaire.OnClick = [this] { Mnu_Sommaire_Click(); };
}

#undef TALVERO_BIND_CONTROL

void Frm_Detail::Remplir_RubSaisie() {
  Lst_ListeRubSai.Clear();
  DBADynArray request;
  request.Set(1, "SSELECT RUBSAISIE SANS 0 = \"" + Vars().CodeAffiche + "\" AND AVEC 18 = \"\"");
  request.Set(2, "RUBSAISIE");
  request.Set(3, "0 1");
  int32_t count = 0;
  ListeDetail = Obj(Vars().Base).DBQuery(request.Get(), "", count);
  for (int i = 1; i <= ListeDetail->DCount(); ++i)
    Lst_ListeRubSai.AddItem(ListeDetail->Get(i, 1) + " " + ListeDetail->Get(i, 2));
}

void Frm_Detail::Remplir_Liste() {
  Lst_LibRubSai.Clear();
  DBADynArray& detail = Obj(Vars().EnrCreation);
  if (detail.Get(records::kRubriquesDetail, 1).empty()) return;
  const int rows = ListeDetail ? ListeDetail->DCount() : 0;
  for (int i = 1; i <= detail.DCount(records::kRubriquesDetail); ++i) {
    const std::string code = detail.Get(records::kRubriquesDetail, i);
    // A stored code that is no longer a candidate (deleted since) is left out: its label is
    // unknown, and keeping it would store an item the operator cannot see.
    for (int j = 1; j <= rows; ++j) {
      if (ListeDetail->Get(j, 1) == code) {
        Lst_LibRubSai.AddItem(code + " " + ListeDetail->Get(j, 2));
        break;
      }
    }
  }
}

void Frm_Detail::Masquer_Cadre() {
  for (screen::Control* c :
       {&Cdr_Rubrique, &Lst_LibRubSai, &Etq_Designation, &Etq_ListeRubSai, &Lst_ListeRubSai})
    c->SetEnabled(false);
}

void Frm_Detail::Afficher_Cadre() {
  for (screen::Control* c :
       {&Cdr_Rubrique, &Lst_LibRubSai, &Etq_Designation, &Etq_ListeRubSai, &Lst_ListeRubSai})
    c->SetEnabled(true);
}

void Frm_Detail::Form_Load() {
  // A freshly loaded window has not accepted anything yet.
  FermetureAutorisee = 0;
  Skip([&] { Remplir_RubSaisie(); });
  Skip([&] {
    if (!Vars().EnrCreation) Vars().EnrCreation = std::make_shared<DBADynArray>();
  });
  Skip([&] {
    if (Obj(Vars().EnrCreation).Get(records::kRubriquesDetail) != "")
      Remplir_Liste();
    else
      Masquer_Cadre();
  });
  Skip([&] {
    if (Obj(Vars().EnrCreation).Get(records::kSensDetail) == "R") {
      Opt_Retire.SetValue(1);
    } else {
      Opt_Inclure.SetValue(1);
    }
    Afficher_Cadre();
  });
}

void Frm_Detail::Form_Unload(int& Cancel) {
  if (FermetureAutorisee == 1) {
    ListeDetail.reset();
  } else {
    Cancel = 1;
  }
}

void Frm_Detail::Opt_Inclure_Click() {
  Cdr_Rubrique.SetCaption("Rubriques à inclure");
  Afficher_Cadre();
}

void Frm_Detail::Opt_Retire_Click() {
  Cdr_Rubrique.SetCaption("Rubriques à retirer");
  Afficher_Cadre();
}

void Frm_Detail::Lst_ListeRubSai_DblClick() {
  for (int i = 0; i < Lst_ListeRubSai.ListCount(); ++i) {
    if (!Lst_ListeRubSai.Selected(i)) continue;
    Lst_ListeRubSai.SetSelected(i, false);
    const std::string row = Lst_ListeRubSai.List(i);
    bool chosen = false;
    for (int k = 0; k < Lst_LibRubSai.ListCount() && !chosen; ++k)
      chosen = RowLabel(Lst_LibRubSai.List(k)) == RowLabel(row);
    if (!chosen) Lst_LibRubSai.AddItem(row);
  }
}

void Frm_Detail::Lst_LibRubSai_DblClick() {
  int i = 0;
  while (i < Lst_LibRubSai.ListCount()) {
    if (Lst_LibRubSai.Selected(i)) {
      Lst_LibRubSai.SetSelected(i, false);
      Lst_LibRubSai.RemoveItem(i);
    } else {
      ++i;
    }
  }
}

void Frm_Detail::Cmd_Gauche_Click() {
  if (Lst_ListeRubSai.ListIndex() != -1) Lst_ListeRubSai_DblClick();
}

void Frm_Detail::Cmd_Droite_Click() {
  if (Lst_LibRubSai.ListIndex() != -1) Lst_LibRubSai_DblClick();
}

void Frm_Detail::Cmd_Retour_Click() {
  screen::Screen& screen = window_.GetScreen();
  if (Opt_Inclure.Value() && Lst_LibRubSai.ListCount() == 0) {
    screen.MsgBox("Vous devez sélectionner au moins une rubrique à inclure.", 48,
                  "Message Orvanel");
    return;
  }
  window_.SetMousePointer(screen::kPointerHourglass);
  window_.SetEnabled(false);
  FermetureAutorisee = 1;
  Verif_TabDyn();
  screen.DoEvents();
  window_.SetMousePointer(screen::kPointerDefault);
  window_.SetEnabled(true);
  screen.Unload(window_);
}

void Frm_Detail::Verif_TabDyn() {
  DBADynArray& detail = Obj(Vars().EnrCreation);
  detail.Set(records::kRubriquesDetail, "");
  if (Opt_Retire.Value()) detail.Set(records::kSensDetail, "R");
  if (Opt_Inclure.Value()) detail.Set(records::kSensDetail, "I");
  for (int i = 0; i < Lst_LibRubSai.ListCount(); ++i)
    detail.Set(records::kRubriquesDetail, -1, RowCode(Lst_LibRubSai.List(i)));
  ListeDetail.reset();
}

void Frm_Detail::Form_MouseDown(int& Button, int& Shift, float& x, float& y) {
  if (Button != 2) return;
  Mnu_Aide.SetEnabled(true);
  Mnu_Sommaire.SetEnabled(true);
  window_.GetScreen().PopupMenu(Mnu_Aide);
}

void Frm_Detail::Cdr_Rubrique_MouseDown(int& Button, int& Shift, float& x, float& y) {
  Form_MouseDown(Button, Shift, x, y);
}

}  // namespace talvero
