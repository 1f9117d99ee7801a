#include "component/ctr_talvero.h"

#include <functional>
#include <map>

namespace talvero {

namespace {

FieldView Boolean(bool b) {
  return {FieldView::Kind::Boolean, true, b ? "true" : "false"};
}
FieldView Integer(long v) {
  return {FieldView::Kind::Integer, true, std::to_string(v)};
}
FieldView Text(const std::string& s) {
  return {FieldView::Kind::Text, true, s};
}
FieldView Record(const DynArrayPtr& r) {
  return {FieldView::Kind::Record, r != nullptr, r ? r->Get() : ""};
}

}  // namespace

std::optional<FieldView> Ctr_Talvero::Field(const std::string& name) const {
  const std::map<std::string, std::function<FieldView()>> fields = {
      {"W_Sortir", [&] { return Boolean(W_Sortir); }},
      {"ModeCreation", [&] { return Integer(ModeCreation); }},
      {"CreationReservee", [&] { return Boolean(CreationReservee); }},
      {"ErreurSaisie", [&] { return Boolean(ErreurSaisie); }},
      {"CodeChpAppli", [&] { return Integer(CodeChpAppli); }},
      {"CodeTypBase", [&] { return Integer(CodeTypBase); }},
      {"CodeTypTaux", [&] { return Integer(CodeTypTaux); }},
      {"CodeTypMont", [&] { return Integer(CodeTypMont); }},
      {"CodeTypAvNat", [&] { return Text(CodeTypAvNat); }},
      {"CodeTypeFraisProf", [&] { return Text(CodeTypeFraisProf); }},
      {"PrefixeCompte", [&] { return Text(PrefixeCompte); }},
      {"ToucheSpeciale", [&] { return Text(ToucheSpeciale); }},
      {"CodeToucheSpeciale", [&] { return Integer(CodeToucheSpeciale); }},
      {"LibelleChoisi", [&] { return Text(LibelleChoisi); }},
      {"EnrOrigine",
       [&] {
         return FieldView{FieldView::Kind::Record, true, EnrOrigine};
       }},
      {"ListeRubriques", [&] { return Record(ListeRubriques); }},
      {"ListeComptes", [&] { return Record(ListeComptes); }},
      {"VidageAuto", [&] { return Boolean(VidageAuto); }},
      {"FermetureAutorisee", [&] { return Integer(frm_detail_->FermetureAutorisee); }},
  };
  auto it = fields.find(name);
  if (it == fields.end()) return VariablesField(name);
  return it->second();
}

// The globals outlive every control: they can be read after the tear-down, which is how a caller
// checks that it released them.
std::optional<FieldView> VariablesField(const std::string& name) {
  const Variables& v = Vars();
  const std::map<std::string, std::function<FieldView()>> fields = {
      {"RubSupprimee", [&] { return Boolean(v.RubSupprimee); }},
      {"ComptesActifs", [&] { return Boolean(v.ComptesActifs); }},
      {"NePasFacturerActif", [&] { return Boolean(v.NePasFacturerActif); }},
      {"CodeAffiche", [&] { return Text(v.CodeAffiche); }},
      {"EnrRubSaisie", [&] { return Record(v.EnrRubSaisie); }},
      {"EnrCreation", [&] { return Record(v.EnrCreation); }},
      {"EnrCompteur", [&] { return Record(v.EnrCompteur); }},
      {"EnrCompte", [&] { return Record(v.EnrCompte); }},
  };
  auto it = fields.find(name);
  if (it == fields.end()) return std::nullopt;
  return it->second();
}

}  // namespace talvero
