// Finding an entry item by its code or its label. The label list ListeRubriques is what a typed
// code is resolved against: the full list after start-up and every write, the filtered one after
// a label search, so that the code and the label combo always agree on which items exist.
#include <cstdint>
#include <memory>
#include <string>

#include "component/ctr_talvero.h"
#include "component/object_access.h"
#include "gateways/dba_error.h"
#include "gateways/tools.h"
#include "records/code_tables.h"
#include "screen/operator.h"

namespace talvero {
namespace {

// The label list is searched in upper case; from "{" on the keys are accented lower-case letters
// (and a few signs) that would never match.
constexpr int kFirstRefusedLabelKey = 123;
constexpr size_t kCodeLength = 3;

bool IsDeletedLabel(const std::string& label) {
  return label.find(records::kDeletedSuffix) != std::string::npos;
}

size_t CharCount(const std::string& text) {
  return screen::DecodeUtf8(text).size();
}

// "7" -> "007": codes are compared as text, so a short code is completed before it is resolved.
std::string PaddedCode(const std::string& text) {
  size_t length = CharCount(text);
  return length < kCodeLength ? std::string(kCodeLength - length, '0') + text : text;
}

int RowCount(const DynArrayPtr& list) {
  return list ? list->DCount() : 0;
}

std::string RowValue(const DynArrayPtr& list, int row, int value) {
  return list && row >= 1 ? list->Get(row, value) : "";
}

// The request for the label list: code, label and deleted marker of each item.
std::string LabelRequest(const std::string& sentence) {
  DBADynArray request;
  request.Set(1, sentence);
  request.Set(2, "RUBSAISIE");
  request.Set(3, "0 1 18");
  return request.Get();
}

// Marks the deleted items in the fetched list and shows every label in the combo.
void FillLabelCombo(DBADynArray& list, screen::Control& combo) {
  for (int i = 1; i <= list.DCount(); ++i) {
    if (list.Get(i, 3) == "1") list.Set(i, 2, list.Get(i, 2) + records::kDeletedSuffix);
    combo.AddItem(list.Get(i, 2));
  }
}

// A load that failed half-way must not leave a half-shown item behind: the screen goes back to
// search mode with the code emptied, and no buffer of the item is kept, so that leaving or saving
// afterwards cannot write anything from it. The failure itself is reported by the caller's event
// boundary.
void AbandonLoad(Ctr_Talvero& screen) {
  screen.EnrRubSaisie.reset();
  screen.EnrOrigine.clear();
  screen.RubSupprimee = false;
  screen.ModeCreation = 0;
  screen.CreationReservee = false;
  screen.Afficher_Combo();
  if (!screen.Txt_CodRubSai.Text().empty()) {
    screen.Txt_CodRubSai.SetText("");  // its Change handler returns to search mode
  } else {
    screen.Vider_Donnees();
    screen.Masquer();
    screen.Cbo_LibRubSai.SetText("");
  }
  screen.Cmd_Ajouter.SetEnabled(true);
  screen.Txt_CodRubSai.SetFocus();
}

}  // namespace

void Ctr_Talvero::Remplir_RubSaisie() {
  // The list is fetched before the combo is touched: a failed query leaves both as they were.
  int32_t count = 0;
  DynArrayPtr list = Obj(Base).DBQuery(LabelRequest("SSELECT RUBSAISIE PAR 1"), "", count);
  Cbo_LibRubSai.Clear();
  ListeRubriques = list;
  FillLabelCombo(Obj(ListeRubriques), Cbo_LibRubSai);
}

void Ctr_Talvero::Cbo_LibRubSai_KeyPress(int& KeyAscii) {
  if (KeyAscii != screen::kKeyEnter) {
    if (KeyAscii >= kFirstRefusedLabelKey) {
      MsgBox("La saisie de minuscule accentuée est interdite sur cette zone.", 48);
      KeyAscii = 0;
    }
    return;
  }
  const std::string prefix = records::UpperCase(Cbo_LibRubSai.Text());
  // A double quote would end the quoted value of the query sentence: such a search is refused
  // before anything is sent or changed.
  if (prefix.find('"') != std::string::npos) {
    MsgBox("La recherche d'un libellé ne peut pas contenir de guillemet (\").", 48);
    return;
  }
  int32_t count = 0;
  DynArrayPtr found = Obj(Base).DBQuery(
      LabelRequest("SSELECT RUBSAISIE AVEC 1 = \"" + prefix + "]\" PAR 1"), "", count);
  ListeRubriques = found;
  if (Obj(found).Get().empty()) {
    GetScreen().Beep();
    MsgBox("Aucune rubrique de saisie commençant par " + prefix, 48);
    Cbo_LibRubSai.SetText("");
    Cbo_LibRubSai.Clear();
    return;
  }
  Cbo_LibRubSai.Clear();
  Txt_CodRubSai.SetText("");  // back to search mode when a code was shown
  FillLabelCombo(*found, Cbo_LibRubSai);
}

void Ctr_Talvero::Cbo_LibRubSai_Click() {
  RubSupprimee = IsDeletedLabel(Cbo_LibRubSai.Text());
  if (!RubSupprimee) Afficher();
  LibelleChoisi = Cbo_LibRubSai.Text();
  if (!LibelleChoisi.empty()) {
    // Setting the code loads the item through the code field's Change handler.
    const int index = Cbo_LibRubSai.ListIndex();
    const std::string code = index >= 0 ? RowValue(ListeRubriques, index + 1, 1) : "";
    Txt_CodRubSai.SetText(code);
    CodeAffiche = Txt_CodRubSai.Text();
    if (code.empty()) {
      for (int i = 1; i <= RowCount(ListeRubriques); ++i) {
        if (ListeRubriques->Get(i, 2) == LibelleChoisi) {
          Txt_CodRubSai.SetText(ListeRubriques->Get(i, 1));
          Txt_CodRubSai.SetEnabled(false);
          break;
        }
      }
    }
    Afficher();
    Cmd_Ajouter.SetEnabled(false);
    Txt_CodRubSai.SetEnabled(false);
  }
  if (RubSupprimee) MasquerEnrSupprime();
}

void Ctr_Talvero::Cbo_LibRubSai_LostFocus() {
  Cbo_LibRubSai.SetText(records::UpperCase(Cbo_LibRubSai.Text()));
}

void Ctr_Talvero::Txt_LibRubSai_LostFocus() {
  Txt_LibRubSai.SetText(records::UpperCase(Txt_LibRubSai.Text()));
}

void Ctr_Talvero::Txt_CodRubSai_KeyPress(int& KeyAscii) {
  bool digit = KeyAscii >= '0' && KeyAscii <= '9';
  if (!digit && KeyAscii != CodeToucheSpeciale && KeyAscii != screen::kKeyBackspace &&
      KeyAscii != screen::kKeyEnter) {
    KeyAscii = 0;
  }
  if (KeyAscii == screen::kKeyEnter) Txt_CodRubSai.SetText(PaddedCode(Txt_CodRubSai.Text()));
}

void Ctr_Talvero::Txt_CodRubSai_LostFocus() {
  if (!Txt_CodRubSai.Text().empty()) Txt_CodRubSai.SetText(PaddedCode(Txt_CodRubSai.Text()));
}

void Ctr_Talvero::Txt_CodRubSai_Change() {
  const std::string code = Txt_CodRubSai.Text();
  if (CharCount(code) == kCodeLength) {
    int row = 1;
    const int rows = RowCount(ListeRubriques);
    while (row <= rows && ListeRubriques->Get(row, 1) != code) ++row;
    const bool listed = row <= rows;
    if (!Cbo_LibRubSai.Text().empty()) {
      // The combo already names the item (a pick sets the code after the label, and the pick sets
      // the screen mode itself): the item is loaded by its code alone, under the combo's text.
      try {
        Afficher_Donnees();
      } catch (...) {
        AbandonLoad(*this);
        throw;
      }
      Cmd_Ajouter.SetEnabled(false);
    } else if (listed) {
      try {
        Cbo_LibRubSai.SetText(ListeRubriques->Get(row, 2));
        RubSupprimee = IsDeletedLabel(Cbo_LibRubSai.Text());
        if (!RubSupprimee) Afficher();
        ModeCreation = 0;
        Afficher_Donnees();
      } catch (...) {
        AbandonLoad(*this);
        throw;
      }
      CodeAffiche = code;
      Cmd_Ajouter.SetEnabled(false);
    } else if (ModeCreation == 1) {
      Afficher();
      Cmd_Ajouter.SetEnabled(false);
    } else if (records::CodeNumber(code) < records::kFirstReservedCode) {
      MsgBox("Cette rubrique de saisie n'existe pas.", 48);
      Txt_CodRubSai.SetText("");
      Cbo_LibRubSai.SetText("");
      Cmd_Ajouter.SetEnabled(true);
      Txt_CodRubSai.SetFocus();
    } else if (SharedOutils().EstUtilisateur("OrVanel")) {
      // A free code of the reserved range: one of the maker's users creates the item under it.
      Cmd_Ajouter_Click();
      CreationReservee = true;
    } else {
      MsgBox("La plage des rubriques de saisie de 800 à 999 est réservée à Orvanel.", 48);
      Txt_CodRubSai.SetText("");
      Txt_CodRubSai.SetFocus();
    }
  } else {
    if (code.empty()) Cmd_Ajouter.SetEnabled(true);
    Vider_Donnees();
    Masquer();
    Cbo_LibRubSai.SetText("");
  }
  if (IsDeletedLabel(Cbo_LibRubSai.Text())) MasquerEnrSupprime();
}

}  // namespace talvero
