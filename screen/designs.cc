#include "screen/designs.h"

#include <string>
#include <vector>

namespace talvero::screen {

namespace {

struct Design {
  const char* name;
  Kind kind;
  const char* caption;  // caption, or the design-time text of a combo box
  const char* container;
  std::vector<std::string> list;
};

// The entry screen in design order.
const std::vector<Design>& EntryDesign() {
  static const std::vector<Design> design = {
      {"Cac_RubNePasFacturer", Kind::CheckBox, "Rubrique à ne pas facturer", "", {}},
      {"Cac_RubNuit", Kind::CheckBox, "Rubrique travail de nuit", "", {}},
      {"Cac_PrevMaintien", Kind::CheckBox, "Rubrique prévoyance / maintien", "", {}},
      {"Cac_CaractereAnnuel", Kind::CheckBox, "Rubrique à caractère annuel", "", {}},
      {"Cac_telegere", Kind::CheckBox, "Rubrique télégérée", "", {}},
      {"Cdr_Modulation", Kind::Frame, "Modulation", "", {}},
      {"Opt_Regularisation", Kind::OptionButton, "De régularisation", "Cdr_Modulation", {}},
      {"Opt_Excluse", Kind::OptionButton, "Exclue", "Cdr_Modulation", {}},
      {"Opt_Incluse", Kind::OptionButton, "Incluse", "Cdr_Modulation", {}},
      {"Cdr_TypeHeures", Kind::Frame, "Type", "", {}},
      {"Opt_HresSupp", Kind::OptionButton, "Heures Supplémentaires", "Cdr_TypeHeures", {}},
      {"Opt_HresCompl", Kind::OptionButton, "Heures Complémentaires", "Cdr_TypeHeures", {}},
      {"Opt_HresNormales", Kind::OptionButton, "Heures Normales", "Cdr_TypeHeures", {}},
      {"Cbo_TypeFraisProf",
       Kind::ComboBox,
       "",
       "",
       {"Forfaitaires", "Remboursement", "Prise en charge employeur", "Autres dépenses"}},
      {"Cmd_Annuler", Kind::Button, "Annuler", "", {}},
      {"Txt_CodRubSai", Kind::TextField, "", "", {}},
      {"Cdr_SigneRubSai", Kind::Frame, "Signe rubrique", "", {}},
      {"Opt_AjoutRubSai", Kind::OptionButton, "A ajouter", "Cdr_SigneRubSai", {}},
      {"Opt_DedRubSai", Kind::OptionButton, "A déduire", "Cdr_SigneRubSai", {}},
      {"Cbo_TypTauxRubSai",
       Kind::ComboBox,
       "Taux horaire",
       "",
       {"A saisir", "Fixe - montant", "Taux horaire", "Pas de taux", "Fixe - nombre de points"}},
      {"Txt_MontTauxRubSai", Kind::TextField, "", "", {}},
      {"Cbo_TypBaseRubSai",
       Kind::ComboBox,
       "Composante de montants",
       "",
       {"A saisir", "Fixe", "Composante de bases", "Composante de montants", "Pas de base"}},
      {"Txt_MontBaseRubSai", Kind::TextField, "", "", {}},
      {"Cbo_TypMontRubSai",
       Kind::ComboBox,
       "Résultat base par taux",
       "",
       {"A saisir", "Fixe", "Résultat base par taux"}},
      {"Txt_ValMontRubSai", Kind::TextField, "", "", {}},
      {"Cbo_DebitRubSai", Kind::ComboBox, "", "", {}},
      {"Txt_DebitRubSai", Kind::TextField, "", "", {}},
      {"Cbo_CreditRubSai", Kind::ComboBox, "", "", {}},
      {"Txt_CreditRubSai", Kind::TextField, "", "", {}},
      {"Cmd_Sortir", Kind::Button, "Sortir", "", {}},
      {"Cmd_OK", Kind::Button, "OK", "", {}},
      {"Cbo_ChpAppliRubSai",
       Kind::ComboBox,
       "Inclus dans brut base et montant",
       "",
       {"Avantage en nature", "Après net imposable", "Frais professionnels",
        "Main d'oeuvre directe", "Main d'oeuvre directe Dim. et J.F.",
        "Inclus dans brut base et montant", "Inclus dans brut montant"}},
      {"Cbo_TypAvNatRubSai",
       Kind::ComboBox,
       "Voiture",
       "",
       {"Logement", "Nourriture", "Voiture", "Autre"}},
      {"Cmd_DetailRubSai", Kind::Button, "Détails ", "", {}},
      {"Cmd_Ajouter", Kind::Button, "Ajouter", "", {}},
      {"Cmd_Supprimer", Kind::Button, "Supprimer", "", {}},
      {"Cac_AutoRubSai", Kind::CheckBox, "Rubrique automatique", "", {}},
      {"Cbo_LibRubSai", Kind::ComboBox, "", "", {}},
      {"Txt_LibRubSai", Kind::TextField, "", "", {}},
      {"Etq_PrcMontBaseRubSai", Kind::Label, "%", "", {}},
      {"Etq_CodRubSai", Kind::Label, "Rubrique ", "", {}},
      {"Etq_TypTauxRubSai", Kind::Label, "Taux", "", {}},
      {"Etq_Taux", Kind::Label, "% du taux horaire", "", {}},
      {"Etq_TypMontRubSai", Kind::Label, "Montant", "", {}},
      {"Etq_TypBaseRubSai", Kind::Label, "Base", "", {}},
      {"Etq_CompteRubSai", Kind::Label, "Comptes Comptables", "", {}},
      {"Etq_DebitRubSai", Kind::Label, "Débit", "", {}},
      {"Etq_CreditRubSai", Kind::Label, "Crédit", "", {}},
      {"Etq_ChpAppliRubSai", Kind::Label, "Champ d'Application", "", {}},
      {"Etq_TypAvNatRubSai", Kind::Label, "Type", "", {}},
      {"Mnu_Aide", Kind::Menu, "Aide", "", {}},
      {"Mnu_Sommaire", Kind::Menu, "Aide_ORVANEL", "Mnu_Aide", {}},
  };
  return design;
}

const std::vector<std::string> kEntryFocusOrder = {
    "Txt_CodRubSai",      "Cbo_LibRubSai",       "Cbo_ChpAppliRubSai",
    "Cbo_TypAvNatRubSai", "Cac_AutoRubSai",      "Opt_AjoutRubSai",
    "Opt_DedRubSai",      "Cbo_TypBaseRubSai",   "Txt_MontBaseRubSai",
    "Cmd_DetailRubSai",   "Cbo_TypTauxRubSai",   "Txt_MontTauxRubSai",
    "Cbo_TypMontRubSai",  "Txt_ValMontRubSai",   "Txt_DebitRubSai",
    "Cbo_DebitRubSai",    "Txt_CreditRubSai",    "Cbo_CreditRubSai",
    "Cmd_Ajouter",        "Cmd_Supprimer",       "Cmd_OK",
    "Cmd_Sortir",         "Cdr_SigneRubSai",     "Etq_TypAvNatRubSai",
    "Etq_ChpAppliRubSai", "Etq_CreditRubSai",    "Etq_DebitRubSai",
    "Etq_CompteRubSai",   "Etq_TypBaseRubSai",   "Etq_TypMontRubSai",
    "Etq_Taux",           "Etq_TypTauxRubSai",   "Etq_CodRubSai",
    "Txt_LibRubSai",      "Cmd_Annuler",         "Etq_PrcMontBaseRubSai",
    "Cbo_TypeFraisProf",  "Cdr_TypeHeures",      "Opt_HresNormales",
    "Opt_HresCompl",      "Opt_HresSupp",        "Cdr_Modulation",
    "Opt_Incluse",        "Opt_Excluse",         "Opt_Regularisation",
    "Cac_telegere",       "Cac_CaractereAnnuel", "Cac_PrevMaintien",
    "Cac_RubNuit",        "Cac_RubNePasFacturer"};

const std::vector<Design>& DetailDesign() {
  static const std::vector<Design> design = {
      {"Opt_Inclure", Kind::OptionButton, "A inclure", "", {}},
      {"Opt_Retire", Kind::OptionButton, "A retirer", "", {}},
      {"Cmd_Retour", Kind::Button, "Retour", "", {}},
      {"Cdr_Rubrique", Kind::Frame, "", "", {}},
      {"Cmd_Gauche", Kind::Button, "--->", "", {}},
      {"Cmd_Droite", Kind::Button, "<---", "", {}},
      {"Lst_ListeRubSai", Kind::ListBox, "", "", {}},
      {"Lst_LibRubSai", Kind::ListBox, "", "", {}},
      {"Etq_ListeRubSai", Kind::Label, "Liste des rubriques", "", {}},
      {"Etq_Designation", Kind::Label, "Désignation rubrique", "", {}},
      {"Etq_CodLibRubSai", Kind::Label, "", "", {}},
      {"Etq_Base", Kind::Label, "Base : composante de montants", "", {}},
      {"Etq_Rubrique", Kind::Label, "Rubrique :", "", {}},
      {"Mnu_Aide", Kind::Menu, "Aide", "", {}},
      {"Mnu_Sommaire", Kind::Menu, "Aide_ORVANEL", "Mnu_Aide", {}},
  };
  return design;
}

const std::vector<std::string> kDetailFocusOrder = {"Opt_Inclure", "Opt_Retire",  "Lst_ListeRubSai",
                                                    "Cmd_Gauche",  "Cmd_Droite",  "Lst_LibRubSai",
                                                    "Cmd_Retour",  "Cdr_Rubrique"};

std::unique_ptr<Surface> Build(Screen& screen, const char* name, bool window,
                               const std::vector<Design>& design,
                               const std::vector<std::string>& focus_order) {
  auto surface = std::make_unique<Surface>(screen, name, window);
  for (const Design& d : design) {
    Control* container = *d.container ? &surface->Get(d.container) : nullptr;
    Control& c = surface->Add(d.name, d.kind, container);
    for (const auto& item : d.list) c.AddItem(item);
    if (d.kind == Kind::ComboBox || d.kind == Kind::TextField)
      c.SetText(d.caption);
    else
      c.SetCaption(d.caption);
  }
  surface->SetFocusOrder(focus_order);
  return surface;
}

}  // namespace

std::unique_ptr<Surface> MakeEntryScreen(Screen& screen) {
  auto s = Build(screen, "Ctr_Talvero", false, EntryDesign(), kEntryFocusOrder);
  for (const char* name :
       {"Etq_CompteRubSai", "Etq_DebitRubSai", "Etq_CreditRubSai", "Txt_DebitRubSai",
        "Txt_CreditRubSai", "Cbo_DebitRubSai", "Cbo_CreditRubSai"})
    s->Get(name).SetEnabled(false);
  s->Get("Etq_PrcMontBaseRubSai").SetVisible(false);
  for (const char* name : {"Opt_Incluse", "Opt_HresNormales", "Opt_AjoutRubSai"})
    s->Get(name).SetValue(1);
  return s;
}

std::unique_ptr<Surface> MakeDetailWindow(Screen& screen) {
  auto s = Build(screen, "Frm_Detail", true, DetailDesign(), kDetailFocusOrder);
  s->SetCaption("Details de la base de la rubrique");
  return s;
}

}  // namespace talvero::screen
