#pragma once
// The two surfaces as designed: every control with its caption or text, its list, its frame, and
// its design-time enabled, visible and value states; the entry screen's focus order.
#include <memory>

#include "screen/model.h"

namespace talvero::screen {

// Entry screen "Ctr_Talvero".
std::unique_ptr<Surface> MakeEntryScreen(Screen& screen);
// Detail window "Frm_Detail" (not loaded until shown).
std::unique_ptr<Surface> MakeDetailWindow(Screen& screen);

}  // namespace talvero::screen

// clang-format off
// The entry screen's controls, in design order.
#define TALVERO_ENTRY_CONTROLS(X) \
  X(Cac_RubNePasFacturer) X(Cac_RubNuit) X(Cac_PrevMaintien) X(Cac_CaractereAnnuel) \
  X(Cac_telegere) X(Cdr_Modulation) X(Opt_Regularisation) X(Opt_Excluse) X(Opt_Incluse) \
  X(Cdr_TypeHeures) X(Opt_HresSupp) X(Opt_HresCompl) X(Opt_HresNormales) X(Cbo_TypeFraisProf) \
  X(Cmd_Annuler) X(Txt_CodRubSai) X(Cdr_SigneRubSai) X(Opt_AjoutRubSai) X(Opt_DedRubSai) \
  X(Cbo_TypTauxRubSai) X(Txt_MontTauxRubSai) X(Cbo_TypBaseRubSai) X(Txt_MontBaseRubSai) \
  X(Cbo_TypMontRubSai) X(Txt_ValMontRubSai) X(Cbo_DebitRubSai) X(Txt_DebitRubSai) \
  X(Cbo_CreditRubSai) X(Txt_CreditRubSai) X(Cmd_Sortir) X(Cmd_OK) X(Cbo_ChpAppliRubSai) \
  X(Cbo_TypAvNatRubSai) X(Cmd_DetailRubSai) X(Cmd_Ajouter) X(Cmd_Supprimer) X(Cac_AutoRubSai) \
  X(Cbo_LibRubSai) X(Txt_LibRubSai) X(Etq_PrcMontBaseRubSai) X(Etq_CodRubSai) \
  X(Etq_TypTauxRubSai) X(Etq_Taux) X(Etq_TypMontRubSai) X(Etq_TypBaseRubSai) \
  X(Etq_CompteRubSai) X(Etq_DebitRubSai) X(Etq_CreditRubSai) X(Etq_ChpAppliRubSai) \
  X(Etq_TypAvNatRubSai) X(Mnu_Aide) X(Mnu_Sommaire)

// The detail window's controls.
#define TALVERO_DETAIL_CONTROLS(X) \
  X(Opt_Inclure) X(Opt_Retire) X(Cmd_Retour) X(Cdr_Rubrique) X(Cmd_Gauche) X(Cmd_Droite) \
  X(Lst_ListeRubSai) X(Lst_LibRubSai) X(Etq_ListeRubSai) X(Etq_Designation) \
  X(Etq_CodLibRubSai) X(Etq_Base) X(Etq_Rubrique) X(Mnu_Aide) X(Mnu_Sommaire)
// clang-format on
