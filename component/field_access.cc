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
      {"RubSupprimee", [&] { return Boolean(RubSupprimee); }},
      {"ComptesActifs", [&] { return Boolean(ComptesActifs); }},
      {"NePasFacturerActif", [&] { return Boolean(NePasFacturerActif); }},
      {"CodeAffiche", [&] { return Text(CodeAffiche); }},
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
      {"EnrRubSaisie", [&] { return Record(EnrRubSaisie); }},
      {"EnrCreation", [&] { return Record(EnrCreation); }},
      {"EnrCompteur", [&] { return Record(EnrCompteur); }},
      {"EnrCompte", [&] { return Record(EnrCompte); }},
      {"ListeRubriques", [&] { return Record(ListeRubriques); }},
      {"ListeComptes", [&] { return Record(ListeComptes); }},
      {"VidageAuto", [&] { return Boolean(VidageAuto); }},
      {"FermetureAutorisee", [&] { return Integer(frm_detail_->FermetureAutorisee); }},
  };
  auto it = fields.find(name);
  if (it == fields.end()) return std::nullopt;
  return it->second();
}

}  // namespace talvero
