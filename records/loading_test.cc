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
    EXPECT_TRUE(c->Cbo_LibRubSai.Visible());
    EXPECT_EQ("", c->Cbo_ChpAppliRubSai.Text());
  }
}

TEST_F(LoadingTest, BillingFlagIsReadOnlyWhenTheOptionIsOn) {
  DBADynArray record = Sound();
  record.Set(24, "");
  rig.db->PutRecord("RUBSAISIE", "041", record.Get());
  Load("041");
  EXPECT_EQ(0, c->Cac_RubNePasFacturer.Value());

  c->NePasFacturerActif = true;
  EXPECT_THROW(Load("041"), ComponentError);
  record.Set(24, "1");
  rig.db->PutRecord("RUBSAISIE", "041", record.Get());
  Load("041");
  EXPECT_EQ(1, c->Cac_RubNePasFacturer.Value());
}

TEST_F(LoadingTest, FieldOfApplicationRunsBeforeTheLettersAreShown) {
  // A benefit letter kept on an item whose field of application does not use it: the field's
  // Change handler forgets the code, then the letter is still shown in the hidden selector.
  rig.Put("RUBSAISIE", "041", "PRIME^1^L^0^+^4^^3^^0^^^^R^^0^F^^0^0^0^0^0^0");
  Load("041");
  EXPECT_EQ("Après net imposable", c->Cbo_ChpAppliRubSai.Text());
  EXPECT_EQ("", c->CodeTypAvNat);
  EXPECT_EQ("", c->CodeTypeFraisProf);
  EXPECT_EQ("Logement", c->Cbo_TypAvNatRubSai.Text());
  EXPECT_FALSE(c->Cbo_TypAvNatRubSai.Visible());
  EXPECT_EQ("Forfaitaires", c->Cbo_TypeFraisProf.Text());

  rig.Put("RUBSAISIE", "042", "REPAS^0^N^0^+^4^^3^^0^^^^R^^0^^^0^0^0^0^0^0");
  Load("042");
  EXPECT_EQ("N", c->CodeTypAvNat);
  EXPECT_EQ("Nourriture", c->Cbo_TypAvNatRubSai.Text());
  EXPECT_TRUE(c->Cbo_TypAvNatRubSai.Visible());
}

TEST_F(LoadingTest, UnknownModulationKeepsThePreviousChoice) {
  c->Opt_Excluse.SetValue(1);
  rig.Put("RUBSAISIE", "041", "PRIME^5^^0^+^4^^3^^0^^^^R^^3^^^0^0^0^0^0^0");
  Load("041");
  EXPECT_EQ(1, c->Opt_Excluse.Value());
  EXPECT_EQ(0, c->Opt_Incluse.Value());

  rig.Put("RUBSAISIE", "042", "PRIME^5^^0^+^4^^3^^0^^^^R^^^^^0^0^0^0^0^0");
  Load("042");
  EXPECT_EQ(1, c->Opt_Incluse.Value());
  EXPECT_EQ(0, c->Opt_Excluse.Value());
}

TEST_F(LoadingTest, ValuesAreUnscaledThenPutInTheirFormats) {
  rig.Put("RUBSAISIE", "041", "PRIME^6^^0^-^1^1250.5^1^1250000^1^7^^^R^^0^^^1^0^0^0^0^0");
  Load("041");
  EXPECT_EQ("12,51", c->Txt_MontBaseRubSai.Text());
  EXPECT_EQ("125,0000", c->Txt_MontTauxRubSai.Text());
  EXPECT_EQ("0,07", c->Txt_ValMontRubSai.Text());
  EXPECT_EQ(1, c->Opt_DedRubSai.Value());
  EXPECT_EQ(1, c->Opt_HresCompl.Value());
  // The buffer keeps the record as read, apart from its own defaults.
  EXPECT_EQ("PRIME^6^^0^-^1^1250.5^1^1250000^1^7^^^R^^0^^^1^0^0^0^0^0",
            rig.Record(c->EnrRubSaisie));
  EXPECT_EQ("^^^^^^^^^^^^^R", rig.Record(c->EnrCreation));
}

}  // namespace
}  // namespace talvero
