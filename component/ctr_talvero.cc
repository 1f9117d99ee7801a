#include "component/ctr_talvero.h"

#include "component/object_access.h"
#include "screen/display.h"
#include "screen/operator.h"

namespace talvero {

#define TALVERO_BIND_CONTROL(name) , name(surface_->Get(#name))

Ctr_Talvero::Ctr_Talvero(screen::Screen& screen)
    : screen_(screen),
      surface_(screen::MakeEntryScreen(screen)),
      detail_(screen::MakeDetailWindow(screen)),
      frm_detail_(std::make_unique<Frm_Detail>(*detail_))
          TALVERO_ENTRY_CONTROLS(TALVERO_BIND_CONTROL) {
  WireEntryScreen();
}

#undef TALVERO_BIND_CONTROL

Ctr_Talvero::~Ctr_Talvero() {
  // UserControl_Terminate: the rights first, then the lists, then the files and records.
  DroitsOperateur.reset();
  DroitsRubrique.reset();
  ListeRubriques.reset();
  ListeComptes.reset();
  Fermer_Fichiers();
}

void Ctr_Talvero::TheDatabase(std::shared_ptr<DBADatabase> vNewValue) {
  Base = std::move(vNewValue);
}

void Ctr_Talvero::TheClient(std::shared_ptr<DBAClient> vNewValue) {
  Client = std::move(vNewValue);
}

void Ctr_Talvero::DroitsUtilisateur(std::shared_ptr<ProfilDroits> New_DroitsUtilisateur) {
  DroitsOperateur = std::move(New_DroitsUtilisateur);
  DroitsRubrique = Obj(DroitsOperateur).DroitsModule("RUBRIQUEDESAISIE");
}

void Ctr_Talvero::Ouvrir_Fichiers() {
  FicRubSaisie = Obj(Base).DBOpen("RUBSAISIE");
  FicCompteur = Obj(Base).DBOpen("COMPTEUR");
  FicPlanComptable = Obj(Base).DBOpen("PLANCOMPTABLE");
}

void Ctr_Talvero::Fermer_Fichiers() {
  EnrCreation.reset();
  EnrCompte.reset();
  EnrRubSaisie.reset();
  EnrCompteur.reset();
  FicPlanComptable.reset();
  FicCompteur.reset();
  FicRubSaisie.reset();
  Base.reset();
  Client.reset();
}

int Ctr_Talvero::MsgBox(const std::string& text, int style, const std::string& title) {
  return screen_.MsgBox(text, style, title);
}

void Ctr_Talvero::Init() {
  // A failure to open the files reaches the host as the failure of Init.
  Ouvrir_Fichiers();
  Select_Systeme_Telegestion();

  // From here on a failing statement is skipped and the next one runs.
  int32_t read_error = 0;
  try {
    EnrCompteur = Obj(FicCompteur).DBRead("999");
  } catch (const ComponentError& e) {
    read_error = e.Number();
  }
  if (read_error == kErrRecordNotFound) {
    MsgBox("Fichier non trouvé.", screen::kIconExclamation);
    return;
  }

  Skip([&] {
    if (Obj(EnrCompteur).Get(15) != "") {
      PrefixeCompte = EnrCompteur->Get(15);
      ComptesActifs = true;
      for (screen::Control* c :
           {&Etq_CompteRubSai, &Etq_DebitRubSai, &Etq_CreditRubSai, &Txt_DebitRubSai,
            &Txt_CreditRubSai, &Cbo_DebitRubSai, &Cbo_CreditRubSai})
        c->SetEnabled(true);
    } else {
      ComptesActifs = false;
    }
  });
  Skip([&] {
    if (Obj(EnrCompteur).Get(80) == "1") {
      Cac_RubNePasFacturer.SetVisible(true);
      NePasFacturerActif = true;
    } else {
      Cac_RubNePasFacturer.SetVisible(false);
      NePasFacturerActif = false;
    }
  });
  Skip([&] {
    EnrCompte = std::make_shared<DBADynArray>();
    if (ComptesActifs) ListeComptes = std::make_shared<DBADynArray>();
  });

  screen_.SetMousePointer(screen::kPointerHourglass);
  surface_->SetEnabled(false);

  Skip([&] { Remplir_RubSaisie(); });
  Skip([&] { Masquer(); });
  Skip([&] { Vider_Donnees(); });

  for (screen::Control* c :
       {&Etq_TypAvNatRubSai, &Cbo_TypAvNatRubSai, &Cbo_TypeFraisProf, &Txt_MontBaseRubSai,
        &Cmd_DetailRubSai, &Txt_MontTauxRubSai, &Etq_Taux, &Txt_ValMontRubSai})
    c->SetVisible(false);

  Skip([&] { ToucheSpeciale = SharedOutils().CaractereSaisie(); });
  Skip([&] {
    auto chars = screen::DecodeUtf8(ToucheSpeciale);
    if (chars.empty())
      throw ComponentError(5, "Argument ou appel de procédure incorrect : caractère vide");
    CodeToucheSpeciale = static_cast<int32_t>(chars.front());
  });

  Skip([&] { Appliquer_Droits(); });

  screen_.DoEvents();
  screen_.SetMousePointer(screen::kPointerDefault);
  surface_->SetEnabled(true);
  Txt_CodRubSai.SetFocus();
}

}  // namespace talvero
