// The debit and credit accounts of an entry item. Each side is a pair of controls: a number field
// (the only part stored) and a label combo that shows the account's label or the matches of a
// search. ListeComptes holds the last search of either side, and a pick in a combo is read from it
// by position, so a pick refers to the last search made, even when the other side made it.
#include <cstdint>
#include <memory>
#include <string>

#include "component/ctr_talvero.h"
#include "component/object_access.h"
#include "gateways/dba_error.h"
#include "records/code_tables.h"
#include "screen/display.h"
#include "screen/operator.h"

namespace talvero {
namespace {

// A number field holding this many characters is a complete account number; fewer is a prefix.
constexpr size_t kAccountNumberLength = 10;
// The PLANCOMPTABLE id starts with the accounting prefix, whose length is fixed.
constexpr size_t kPrefixLength = 3;
constexpr int kFirstDigitKey = '0';
constexpr int kLastDigitKey = '9';

size_t CharCount(const std::string& text) {
  return screen::DecodeUtf8(text).size();
}

// The text without its first `count` characters (UTF-8 aware: a prefix may hold accents).
std::string WithoutFirstChars(const std::string& text, size_t count) {
  size_t pos = 0;
  while (pos < text.size() && count > 0) {
    ++pos;
    while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
    --count;
  }
  return text.substr(pos);
}

// The request of an account search: id and label of each account selected.
std::string AccountRequest(const std::string& sentence) {
  DBADynArray request;
  request.Set(1, sentence);
  request.Set(2, "PLANCOMPTABLE");
  request.Set(3, "0 1");
  return request.Get();
}

bool HasDoubleQuote(const std::string& text) {
  return text.find('"') != std::string::npos;
}

}  // namespace

// ---- Debit side.

void Ctr_Talvero::Txt_DebitRubSai_KeyPress(int& KeyAscii) {
  Touche_Compte(Txt_DebitRubSai, KeyAscii, Cbo_DebitRubSai);
}

void Ctr_Talvero::Txt_DebitRubSai_Lostfocus() {
  int enter = screen::kKeyEnter;  // leaving the field searches as Enter would
  Touche_Compte(Txt_DebitRubSai, enter, Cbo_DebitRubSai);
}

void Ctr_Talvero::Txt_DebitRubSai_Change() {
  Controler_Compte(Txt_DebitRubSai, Cbo_DebitRubSai);
}

void Ctr_Talvero::Cbo_DebitRubSai_Click() {
  Choisir_Compte(Cbo_DebitRubSai, Txt_DebitRubSai);
}

void Ctr_Talvero::Cbo_DebitRubSai_Change() {
  Effacer_Compte(Cbo_DebitRubSai, Txt_DebitRubSai);
}

void Ctr_Talvero::Cbo_DebitRubSai_KeyPress(int& KeyAscii) {
  if (KeyAscii == screen::kKeyEnter && !Cbo_DebitRubSai.Text().empty())
    Chercher_CompteLibelle(Txt_DebitRubSai, Cbo_DebitRubSai);
}

void Ctr_Talvero::Cbo_DebitRubSai_LostFocus() {
  // A complete number already names the account: the label shown is its own, not a search.
  if (!Cbo_DebitRubSai.Text().empty() && CharCount(Txt_DebitRubSai.Text()) != kAccountNumberLength)
    Chercher_CompteLibelle(Txt_DebitRubSai, Cbo_DebitRubSai);
}

void Ctr_Talvero::Cbo_DebitRubSai_GotFocus() {
  Cbo_DebitRubSai.SetSelStart(0);
}

// ---- Credit side.

void Ctr_Talvero::Txt_CreditRubSai_KeyPress(int& KeyAscii) {
  Touche_Compte(Txt_CreditRubSai, KeyAscii, Cbo_CreditRubSai);
}

void Ctr_Talvero::Txt_CreditRubSai_LostFocus() {
  int enter = screen::kKeyEnter;  // leaving the field searches as Enter would
  Touche_Compte(Txt_CreditRubSai, enter, Cbo_CreditRubSai);
}

void Ctr_Talvero::Txt_CreditRubSai_Change() {
  Controler_Compte(Txt_CreditRubSai, Cbo_CreditRubSai);
}

void Ctr_Talvero::Cbo_CreditRubSai_Click() {
  Choisir_Compte(Cbo_CreditRubSai, Txt_CreditRubSai);
}

void Ctr_Talvero::Cbo_CreditRubSai_Change() {
  Effacer_Compte(Cbo_CreditRubSai, Txt_CreditRubSai);
}

void Ctr_Talvero::Cbo_CreditRubSai_KeyPress(int& KeyAscii) {
  if (KeyAscii == screen::kKeyEnter && !Cbo_CreditRubSai.Text().empty())
    Chercher_CompteLibelle(Txt_CreditRubSai, Cbo_CreditRubSai);
}

void Ctr_Talvero::Cbo_CreditRubSai_LostFocus() {
  if (!Cbo_CreditRubSai.Text().empty() &&
      CharCount(Txt_CreditRubSai.Text()) != kAccountNumberLength)
    Chercher_CompteLibelle(Txt_CreditRubSai, Cbo_CreditRubSai);
}

void Ctr_Talvero::Cbo_CreditRubSai_GotFocus() {
  Cbo_CreditRubSai.SetSelStart(0);
}

// ---- The procedures both sides share.

void Ctr_Talvero::Touche_Compte(screen::Control& numero, int& KeyAscii, screen::Control& libelle) {
  if (KeyAscii == screen::kKeyEnter || KeyAscii == screen::kKeyTab) {
    const size_t length = CharCount(numero.Text());
    if (length > 0 && length < kAccountNumberLength) Chercher_CompteNumero(numero, libelle);
  } else if (KeyAscii != screen::kKeyBackspace &&
             (KeyAscii < kFirstDigitKey || KeyAscii > kLastDigitKey)) {
    KeyAscii = 0;
  }
}

void Ctr_Talvero::Controler_Compte(screen::Control& numero, screen::Control& libelle) {
  if (!ComptesActifs) return;  // accounting off: the program alone could reach here
  // Every statement stands alone: a failure skips it and the next one runs.
  if (CharCount(numero.Text()) == kAccountNumberLength) {
    int32_t read_error = 0;
    try {
      EnrCompte = Obj(FicPlanComptable).DBRead(PrefixeCompte + numero.Text());
    } catch (const ComponentError& e) {
      read_error = e.Number();
    } catch (const std::exception&) {
    }
    if (read_error == kErrRecordNotFound) {
      Skip([&] { MsgBox("Ce compte n'existe pas.", screen::kIconExclamation); });
      Skip([&] { numero.SetText(""); });
      Skip([&] { numero.SetFocus(); });
    } else {
      // After any other failure the label of the account read before is shown.
      Skip([&] { libelle.SetText(Obj(EnrCompte).Get(1)); });
    }
  } else {
    VidageAuto = true;
    Skip([&] { libelle.SetText(""); });
    Skip([&] { libelle.Clear(); });
  }
}

void Ctr_Talvero::Chercher_CompteNumero(screen::Control& numero, screen::Control& libelle) {
  if (!ComptesActifs) return;  // accounting off: the program alone could reach here
  // Only a pasted text can hold a double quote; it would end the quoted value of the sentence.
  if (HasDoubleQuote(numero.Text())) {
    MsgBox("La recherche d'un compte ne peut pas contenir de guillemet (\").",
           screen::kIconExclamation);
    return;
  }
  const auto busy = [&] {
    screen_.SetMousePointer(screen::kPointerHourglass);
    surface_->SetEnabled(false);
  };
  const auto idle = [&] {
    screen_.DoEvents();
    surface_->SetEnabled(true);
    screen_.SetMousePointer(screen::kPointerDefault);
  };

  busy();
  const std::string pattern = PrefixeCompte + numero.Text() + "]";
  try {
    int32_t count = 0;
    ListeComptes = Obj(Base).DBQuery(
        AccountRequest("SSELECT PLANCOMPTABLE AVEC @ID = \"" + pattern + "\" PAR 1"), "", count);
  } catch (...) {
    // A failed query must not leave the whole screen disabled under the hourglass.
    idle();
    throw;
  }
  idle();

  if (Obj(ListeComptes).Get(1).empty()) {
    MsgBox("Le compte comptable n'existe pas.", screen::kIconExclamation);
    numero.SetText("");
    numero.SetFocus();
    return;
  }

  busy();
  try {
    libelle.Clear();
    numero.SetText("");  // its Change handler empties the combo
    for (int i = 1; i <= ListeComptes->DCount(); ++i) libelle.AddItem(ListeComptes->Get(i, 2));
    // A single match is taken at once: its Click fills the number (Choisir_Compte).
    if (libelle.ListCount() == 1) libelle.SetListIndex(0);
  } catch (...) {
    idle();
    throw;
  }
  idle();
}

void Ctr_Talvero::Chercher_CompteLibelle(screen::Control& numero, screen::Control& libelle) {
  if (!ComptesActifs) return;  // accounting off: the program alone could reach here
  const std::string typed = records::UpperCase(libelle.Text());
  // A double quote would end the quoted value of the sentence: refused before anything changes.
  if (HasDoubleQuote(typed)) {
    MsgBox("La recherche d'un compte ne peut pas contenir de guillemet (\").",
           screen::kIconExclamation);
    return;
  }
  const auto idle = [&] {
    screen_.DoEvents();
    screen_.SetMousePointer(screen::kPointerDefault);
    surface_->SetEnabled(true);
  };

  screen_.SetMousePointer(screen::kPointerHourglass);
  surface_->SetEnabled(false);
  try {
    const std::string pattern = "\"" + typed + "]\"";
    // Clearing the list takes the typed label with it; that is the search's doing, not the
    // operator emptying the label, so the account number stays as it is.
    VidageAuto = true;
    libelle.Clear();
    int32_t count = 0;
    ListeComptes = Obj(Base).DBQuery(
        AccountRequest("SSELECT PLANCOMPTABLE AVEC 1 = " + pattern + " PAR 1"), "", count);
    if (Obj(ListeComptes).Get().empty()) {
      screen_.Beep();
      MsgBox("Aucune ventilation comptable commençant par " + typed, screen::kIconExclamation);
      libelle.SetText("");
    } else {
      // The matches are only offered: the number stays as it is until one is picked.
      for (int i = 1; i <= ListeComptes->DCount(); ++i) libelle.AddItem(ListeComptes->Get(i, 2));
    }
  } catch (...) {
    idle();
    throw;
  }
  idle();
}

void Ctr_Talvero::Choisir_Compte(screen::Control& libelle, screen::Control& numero) {
  if (!ComptesActifs) return;  // accounting off: the program alone could reach here
  if (!libelle.Text().empty()) {
    // Setting the number reads the account and shows its label (Controler_Compte).
    const int row = libelle.ListIndex() + 1;
    const std::string id = row >= 1 ? Obj(ListeComptes).Get(row, 1) : "";
    numero.SetText(WithoutFirstChars(id, kPrefixLength));
  } else {
    numero.SetText("");
  }
  screen_.DoEvents();
  surface_->SetEnabled(true);
  screen_.SetMousePointer(screen::kPointerDefault);
  if (Cmd_Annuler.Enabled()) Cmd_Annuler.SetFocus();
}

void Ctr_Talvero::Effacer_Compte(screen::Control& libelle, screen::Control& numero) {
  if (!ComptesActifs) return;  // accounting off: the program alone could reach here
  // The operator emptied the label, so the account goes too; an emptying caused by the number
  // field itself does not come back to it.
  if (libelle.Text().empty() && !VidageAuto) numero.SetText("");
  VidageAuto = false;
}

}  // namespace talvero
