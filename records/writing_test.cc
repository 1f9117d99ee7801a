#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "entry_screen/entry_rig.h"
#include "gateways/tools.h"
#include "outside/tools_object.h"

namespace talvero {
namespace {

// A new item of the simplest allowed kind: no base, no rate, an amount entered on pay slips.
void FillNewItem(testing::EntryRig& rig, const std::string& label) {
  Ctr_Talvero& c = *rig.control;
  c.Cmd_Ajouter_Click();
  rig.op.Settle();
  rig.op.Type(label);
  rig.op.Pick(c.Cbo_ChpAppliRubSai, "Inclus dans brut montant");
  rig.op.Pick(c.Cbo_TypBaseRubSai, "Pas de base");
  rig.op.Pick(c.Cbo_TypTauxRubSai, "Pas de taux");
  rig.op.Pick(c.Cbo_TypMontRubSai, "A saisir");
  rig.op.Focus(c.Txt_LibRubSai);
}

std::string Stored(testing::EntryRig& rig, const std::string& file, const std::string& id) {
  return rig.Record(rig.db->DBOpen(file)->DBRecord(id));
}

TEST(WritingTest, AllocationNeverReplacesAnItemNorUsesAnUnreadableCounter) {
  testing::EntryRig rig;
  rig.Put("RUBSAISIE", "042", "ANCIENNE PRIME^6");
  Ctr_Talvero& c = rig.Init();
  FillNewItem(rig, "NOUVELLE PRIME");
  rig.Log();
  c.Ecrire_Donnees();
  EXPECT_EQ(
      "message 48 \"Message ORVANEL\" \"La rubrique 042 existe déjà : le compteur des rubriques "
      "est à corriger avant toute création.\"\n",
      rig.Log());
  EXPECT_EQ("ANCIENNE PRIME^6", Stored(rig, "RUBSAISIE", "042"));
  EXPECT_EQ("^^041", Stored(rig, "COMPTEUR", "999"));
  EXPECT_TRUE(c.ErreurSaisie);
  EXPECT_EQ(1, c.ModeCreation);
  EXPECT_EQ("NOUVELLE PRIME", c.Txt_LibRubSai.Text());

  rig.Put("COMPTEUR", "999", "^^4A");
  c.Ecrire_Donnees();
  EXPECT_EQ(
      "message 48 \"Message ORVANEL\" \"Le compteur des rubriques est illisible (fichier "
      "COMPTEUR, enregistrement 999) : la rubrique n'est pas créée.\"\n",
      rig.Log());
  EXPECT_EQ("^^4A", Stored(rig, "COMPTEUR", "999"));
  EXPECT_TRUE(c.ErreurSaisie);

  // The last code the counter may give is 799.
  rig.Put("COMPTEUR", "999", "^^798");
  c.Ecrire_Donnees();
  EXPECT_EQ("", rig.Log());
  EXPECT_EQ("^^799", Stored(rig, "COMPTEUR", "999"));
  EXPECT_EQ("NOUVELLE PRIME^6^^0^+^4^^3^^0^^^^R^^^^^0^0^0^0^0^0", Stored(rig, "RUBSAISIE", "799"));
}

TEST(WritingTest, ReservedItemChangesBeyondTheAccountsNeedAMakerUser) {
  testing::EntryRig rig;
  rig.Put("COMPTEUR", "999", "^^041^^^^^^^^^^^^4");  // accounting in use
  rig.Put("RUBSAISIE", "850", "INDEMNITE^6^^0^+^4^^3^^1^1000^421^431^R^^0^^^0^0^0^0^0^0");
  auto tools = std::make_shared<outside::ToolsObject>();
  InstallOutils(tools);
  Ctr_Talvero& c = rig.Init();
  ASSERT_TRUE(c.ComptesActifs);
  auto open_850 = [&] {
    rig.op.Focus(c.Txt_CodRubSai);
    rig.op.Type("850");
    rig.op.Focus(c.Txt_LibRubSai);
  };

  open_850();
  c.Txt_DebitRubSai.SetText("422");
  c.Ecrire_Donnees();
  EXPECT_FALSE(c.ErreurSaisie);
  EXPECT_EQ("INDEMNITE^6^^0^+^4^^3^^1^1000^422^431^R^^0^^^0^0^0^0^0^0",
            Stored(rig, "RUBSAISIE", "850"));

  open_850();
  c.Cac_RubNuit.SetValue(1);
  rig.Log();
  c.Ecrire_Donnees();
  EXPECT_EQ("message 48 \"Message ORVANEL\" \"Vous ne pouvez pas modifier cette rubrique.\"\n",
            rig.Log());
  EXPECT_TRUE(c.ErreurSaisie);
  EXPECT_EQ("0", c.EnrRubSaisie->Get(23));  // the buffer still holds the item as loaded
  EXPECT_EQ("850", c.Txt_CodRubSai.Text());

  tools->SetMaker(true);
  c.Ecrire_Donnees();
  EXPECT_FALSE(c.ErreurSaisie);
  EXPECT_EQ("1", rig.db->DBOpen("RUBSAISIE")->DBRecord("850")->Get(23));
  InstallOutils(nullptr);
}

}  // namespace
}  // namespace talvero
