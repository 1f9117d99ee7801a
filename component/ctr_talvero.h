#pragma once
// Ctr_Talvero: the entry-item screen. The host creates it on its window, hands it the database,
// the client and the operator's rights (in that order), then calls Init. From then on every change
// comes from an operator event on the screen model.
//
// Ownership: the control owns its surface and shares (counted references) the objects the host
// hands in; they are released in a fixed order when the control is destroyed. Errors of the outside
// components are ComponentError exceptions; those that escape an operator event are reported by the
// screen's event boundary.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "component/variables.h"
#include "detail_window/frm_detail.h"
#include "gateways/dba.h"
#include "gateways/rights.h"
#include "gateways/tools.h"
#include "screen/designs.h"
#include "screen/model.h"

namespace talvero {

// A field of the control or a global, as the replay tool and tests read it.
struct FieldView {
  enum class Kind { Boolean, Integer, Text, Record } kind;
  bool exists = true;  // Record: false when the object does not exist
  std::string text;    // Boolean: "true"/"false"; Integer: decimal; Record: whole text
};

// Shown when a typed or pasted text holds a byte that separates the parts of a record.
inline constexpr const char* kMarkRefused =
    "Le texte saisi contient un caractère qui ne peut pas être enregistré : il a été retiré.";

// A global of module Variables by name, whether or not a control exists; nothing for another name.
std::optional<FieldView> VariablesField(const std::string& name);

class Ctr_Talvero {
 public:
  explicit Ctr_Talvero(screen::Screen& screen);
  ~Ctr_Talvero();  // UserControl_Terminate
  Ctr_Talvero(const Ctr_Talvero&) = delete;
  Ctr_Talvero& operator=(const Ctr_Talvero&) = delete;

  // ---- The public interface, in its order.
  bool W_Sortir = false;
  void DroitsUtilisateur(std::shared_ptr<ProfilDroits> New_DroitsUtilisateur);
  void Afficher_Conversion();
  void MAJ_Creation();
  void Masquer_Combo();
  void Afficher_Combo();
  void Remplir_RubSaisie();
  void Verification();
  void Verification_Combo();
  void Vider_Donnees();
  void Zones_Oblig();
  void Afficher_Donnees();
  void Ecrire_Donnees();
  void Masquer();
  void Afficher();
  void Init();
  screen::Surface& Controls() { return *surface_; }
  void TheClient(std::shared_ptr<DBAClient> vNewValue);
  void TheDatabase(std::shared_ptr<DBADatabase> vNewValue);
  void MAJ_CreationOrvanel(DynArrayPtr& W_TabDynTemp);
  void MasquerEnrSupprime();
  void Griser(bool& b);
  void Select_Systeme_Telegestion();
  // ---- End of the public interface.

  // For the replay tool and tests: a field of the control or a global of Variables by name.
  std::optional<FieldView> Field(const std::string& name) const;
  screen::Screen& GetScreen() const { return screen_; }
  screen::Surface& DetailWindow() { return *detail_; }
  Frm_Detail& Detail() { return *frm_detail_; }

  // ---- Event handlers of the entry screen.
  // Finding an item.
  void Txt_CodRubSai_KeyPress(int& KeyAscii);
  void Txt_CodRubSai_LostFocus();
  void Txt_CodRubSai_Change();
  void Cbo_LibRubSai_KeyPress(int& KeyAscii);
  void Cbo_LibRubSai_Click();
  void Cbo_LibRubSai_LostFocus();
  void Txt_LibRubSai_LostFocus();
  // Type selectors.
  void Cbo_ChpAppliRubSai_Change();
  void Cbo_ChpAppliRubSai_Click();
  void Cbo_TypBaseRubSai_Change();
  void Cbo_TypBaseRubSai_Click();
  void Cbo_TypTauxRubSai_Change();
  void Cbo_TypTauxRubSai_Click();
  void Cbo_TypMontRubSai_Change();
  void Cbo_TypMontRubSai_Click();
  void Cbo_ChpAppliRubSai_LostFocus();
  void Cbo_TypAvNatRubSai_LostFocus();
  void Cbo_TypeFraisProf_LostFocus();
  void Cbo_TypBaseRubSai_LostFocus();
  void Cbo_TypTauxRubSai_LostFocus();
  void Cbo_TypMontRubSai_LostFocus();
  void Cdr_SigneRubSai_MouseDown(int& Button, int& Shift, float& x, float& y);
  void Appliquer_TauxPoints();
  // Value fields.
  void Txt_MontBaseRubSai_KeyPress(int& KeyAscii);
  void Txt_MontTauxRubSai_KeyPress(int& KeyAscii);
  void Txt_ValMontRubSai_KeyPress(int& KeyAscii);
  void Txt_MontBaseRubSai_LostFocus();
  void Txt_MontTauxRubSai_LostFocus();
  void Txt_ValMontRubSai_LostFocus();
  // Commands.
  void Cmd_Ajouter_Click();
  void Cmd_Annuler_Click();
  // OK: the save command's own checks, then the write; on a refusal the item stays on screen.
  void Cmd_OK_Click();
  // Sortir: offers to save unsaved changes, then sets W_Sortir and unloads the host window.
  void Cmd_Sortir_Click();
  void Cmd_Supprimer_Click();
  void Cmd_DetailRubSai_Click();
  void Opt_Excluse_Click();
  void Opt_Incluse_Click();
  void Opt_Regularisation_Click();
  void Mnu_Sommaire_Click();
  void UserControl_MouseDown(int& Button, int& Shift, float& x, float& y);
  // Modes.
  void Appliquer_Droits();
  // Accounts. Each side passes its own pair (number field, label combo) to the shared procedures;
  // they do nothing while ComptesActifs is false (the seven accounting controls stay disabled).
  void Txt_DebitRubSai_KeyPress(int& KeyAscii);
  void Txt_CreditRubSai_KeyPress(int& KeyAscii);
  void Txt_DebitRubSai_Lostfocus();
  void Txt_CreditRubSai_LostFocus();
  void Txt_DebitRubSai_Change();
  void Txt_CreditRubSai_Change();
  void Cbo_DebitRubSai_Click();
  void Cbo_CreditRubSai_Click();
  void Cbo_DebitRubSai_Change();
  void Cbo_CreditRubSai_Change();
  void Cbo_DebitRubSai_KeyPress(int& KeyAscii);
  void Cbo_CreditRubSai_KeyPress(int& KeyAscii);
  void Cbo_DebitRubSai_LostFocus();
  void Cbo_CreditRubSai_LostFocus();
  void Cbo_DebitRubSai_GotFocus();
  void Cbo_CreditRubSai_GotFocus();

  // ---- Fields of the control shared by several procedures, in declaration order.
  int16_t ModeCreation = 0;
  DynArrayPtr ListeRubriques;
  std::string EnrOrigine;
  std::string LibelleChoisi;
  int16_t CodeChpAppli = 0;
  int16_t CodeTypBase = 0;
  int16_t CodeTypTaux = 0;
  int16_t CodeTypMont = 0;
  std::string CodeTypAvNat;
  std::string CodeTypeFraisProf;
  bool ErreurSaisie = false;
  bool CreationReservee = false;
  std::string PrefixeCompte;
  DynArrayPtr ListeComptes;
  // True while a number field is emptying its label combo, so that the combo's Change does not
  // empty the number field in return.
  bool VidageAuto = false;
  std::string ToucheSpeciale;
  int32_t CodeToucheSpeciale = 0;
  std::shared_ptr<ProfilDroits> DroitsOperateur;
  std::shared_ptr<DroitModule> DroitsRubrique;

  // ---- The globals of module Variables, shared by every instance on this thread.
  std::shared_ptr<DBAClient>& Client = Vars().Client;
  std::shared_ptr<DBADatabase>& Base = Vars().Base;
  std::shared_ptr<DBAFile>& FicRubSaisie = Vars().FicRubSaisie;
  std::shared_ptr<DBAFile>& FicCompteur = Vars().FicCompteur;
  std::shared_ptr<DBAFile>& FicPlanComptable = Vars().FicPlanComptable;
  DynArrayPtr& EnrRubSaisie = Vars().EnrRubSaisie;
  DynArrayPtr& EnrCompteur = Vars().EnrCompteur;
  DynArrayPtr& EnrCompte = Vars().EnrCompte;
  std::string& CodeAffiche = Vars().CodeAffiche;
  bool& RubSupprimee = Vars().RubSupprimee;
  bool& ComptesActifs = Vars().ComptesActifs;
  DynArrayPtr& EnrCreation = Vars().EnrCreation;
  bool& NePasFacturerActif = Vars().NePasFacturerActif;

 private:
  void Ouvrir_Fichiers();  // module Procedure
  void Fermer_Fichiers();  // module Procedure
  void WireEntryScreen();  // connects the controls' events to the handlers
  // Takes the record marks out of a field's text, telling the operator; false when it held none.
  bool TakeOutMarks(screen::Control& field);
  // The accounts' shared procedures: key filter and search trigger, the reaction to a change of
  // the number, the two searches, a pick in the label combo and a change of its text.
  void Touche_Compte(screen::Control& numero, int& KeyAscii, screen::Control& libelle);
  void Controler_Compte(screen::Control& numero, screen::Control& libelle);
  void Chercher_CompteNumero(screen::Control& numero, screen::Control& libelle);
  void Chercher_CompteLibelle(screen::Control& numero, screen::Control& libelle);
  void Choisir_Compte(screen::Control& libelle, screen::Control& numero);
  void Effacer_Compte(screen::Control& libelle, screen::Control& numero);
  // The screen services.
  int MsgBox(const std::string& text, int style, const std::string& title = "Message ORVANEL");

  screen::Screen& screen_;
  std::unique_ptr<screen::Surface> surface_;
  std::unique_ptr<screen::Surface> detail_;
  std::unique_ptr<Frm_Detail> frm_detail_;

 public:
  // The entry screen's controls by name.
#define TALVERO_DECLARE_CONTROL(name) screen::Control& name;
  TALVERO_ENTRY_CONTROLS(TALVERO_DECLARE_CONTROL)
#undef TALVERO_DECLARE_CONTROL
};

}  // namespace talvero
