#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "entry_screen/entry_rig.h"
#include "gateways/dba_error.h"

namespace talvero {
namespace {

// A record as this system writes it: "Inclus dans brut montant", fixed base 12,50, no rate,
// amount as the result of base by rate.
DBADynArray Sound() {
  return DBADynArray(replay::StoredFromNotation("PRIME^6^^0^+^1^1250^3^^2^^^^R^^0^^^0^0^0^0^0^0"));
}

class LoadingTest : public ::testing::Test {
 protected:
  LoadingTest() { c = &rig.Init(); }

  // Puts the code in the field without resolving it, then runs the loader alone.
  void Load(const std::string& code) {
    auto change = c->Txt_CodRubSai.OnChange;
    c->Txt_CodRubSai.OnChange = nullptr;
    c->Txt_CodRubSai.SetText(code);
    c->Txt_CodRubSai.OnChange = change;
    c->Afficher_Donnees();
  }

  testing::EntryRig rig;
  Ctr_Talvero* c = nullptr;
};

TEST_F(LoadingTest, UnreadableRecordsAreRefusedBeforeAnythingChanges) {
  struct Case {
    int attr;
    std::string value;
    int32_t number;
  };
  const std::vector<Case> cases = {
      {2, "9", kErrSubscript},      {6, "x1", kErrConversion}, {8, "", kErrConversion},
      {10, "3", kErrSubscript},     {4, "2", kErrConversion},  {7, "abc", kErrConversion},
      {9, "1,2,3", kErrConversion}, {19, "x", kErrConversion}, {20, "oui", kErrConversion},
      {21, "1.5", kErrConversion},  {23, "", kErrConversion},
  };
  c->EnrRubSaisie = std::make_shared<DBADynArray>("before");
  c->EnrOrigine = "before";
  for (const Case& bad : cases) {
    DBADynArray record = Sound();
    record.Set(bad.attr, 1, bad.value);
    rig.db->PutRecord("RUBSAISIE", "041", record.Get());
    try {
      Load("041");
      ADD_FAILURE() << "attribute " << bad.attr << " accepted";
    } catch (const ComponentError& e) {
      EXPECT_EQ(bad.number, e.Number()) << bad.attr;
      EXPECT_NE(std::string::npos,
                std::string(e.what()).find("041 ne peut pas être affichée : l'attribut " +
                                           std::to_string(bad.attr) + " "))
          << e.what();
    }
    EXPECT_EQ("before", c->EnrRubSaisie->Get());
    EXPECT_EQ("before", c->EnrOrigine);
    EXPECT_TRUE(c->Txt_CodRubSai.Enabled());
  }
}

}  // namespace
}  // namespace talvero
