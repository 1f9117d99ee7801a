#include "component/ctr_talvero.h"

#include <gtest/gtest.h>

#include "outside/rights_object.h"
#include "screen/display.h"
#include "store/sqlite_store.h"

namespace talvero {
namespace {

class StartUpTest : public ::testing::Test {
 protected:
  StartUpTest() : screen_(display_), db_(store::SqliteDatabase::Open(":memory:")) {
    rights_ = std::make_shared<outside::ConfiguredRights>();
  }

  std::unique_ptr<Ctr_Talvero> Start() {
    auto control = std::make_unique<Ctr_Talvero>(screen_);
    control->TheDatabase(db_);
    control->TheClient(std::make_shared<DBAClient>());
    control->DroitsUtilisateur(rights_);
    control->Init();
    screen_.DoEvents();
    return control;
  }
  std::string Events() {
    std::string s;
    for (const auto& e : display_.Pending()) s += e.Describe() + ";";
    display_.Pending().clear();
    return s;
  }
  static std::string Enabled(Ctr_Talvero& c, std::initializer_list<const char*> names) {
    std::string s;
    for (const char* n : names) s += c.Controls().Get(n).Enabled() ? "1" : "0";
    return s;
  }

  screen::HeadlessDisplay display_;
  screen::Screen screen_;
  std::shared_ptr<store::SqliteDatabase> db_;
  std::shared_ptr<outside::ConfiguredRights> rights_;
};

const std::initializer_list<const char*> kAccounting = {
    "Etq_CompteRubSai", "Etq_DebitRubSai", "Etq_CreditRubSai", "Txt_DebitRubSai",
    "Txt_CreditRubSai", "Cbo_DebitRubSai", "Cbo_CreditRubSai"};

TEST_F(StartUpTest, AMissingSettingsRecordIsReportedAndLeavesTheDesignTimeScreen) {
  auto c = Start();
  EXPECT_EQ("message 48 \"Message ORVANEL\" \"Fichier non trouvé.\";", Events());
  EXPECT_TRUE(c->Cmd_OK.Enabled());
  EXPECT_TRUE(c->Txt_MontBaseRubSai.Visible());
  EXPECT_EQ("0000000", Enabled(*c, kAccounting));
  EXPECT_EQ(nullptr, screen_.Focused());
}

TEST_F(StartUpTest, AnAccountingPrefixEnablesTheSevenAccountingControls) {
  db_->PutRecord("COMPTEUR", "999",
                 std::string("\xFE\xFE") + "041" + std::string(12, '\xFE') + "411");
  auto c = Start();
  EXPECT_EQ("", Events());
  EXPECT_TRUE(c->ComptesActifs);
  EXPECT_EQ("411", c->PrefixeCompte);
  // Search mode disables them again, but they were enabled by the start-up itself.
  EXPECT_TRUE(c->ListeComptes != nullptr);
}

TEST_F(StartUpTest, WithoutAPrefixTheAccountingControlsKeepTheirDesignState) {
  db_->PutRecord("COMPTEUR", "999", std::string("\xFE\xFE") + "041");
  auto c = Start();
  EXPECT_FALSE(c->ComptesActifs);
  EXPECT_EQ(nullptr, c->ListeComptes);
  EXPECT_EQ("0000000", Enabled(*c, kAccounting));
}

TEST_F(StartUpTest, OnlyTheValueOneOfferTheNoBillingFlag) {
  for (const char* value : {"1", "", "0", "2"}) {
    std::string record = std::string("\xFE\xFE") + "041" + std::string(77, '\xFE') + value;
    db_->PutRecord("COMPTEUR", "999", record);
    auto c = Start();
    EXPECT_EQ(std::string(value) == "1", c->Cac_RubNePasFacturer.Visible()) << value;
    EXPECT_EQ(std::string(value) == "1", c->NePasFacturerActif) << value;
  }
}

TEST_F(StartUpTest, StartUpEndsInSearchModeWithTheFocusOnTheCode) {
  db_->PutRecord("COMPTEUR", "999", std::string("\xFE\xFE") + "041");
  auto c = Start();
  EXPECT_TRUE(c->Txt_CodRubSai.HasFocus());
  EXPECT_EQ(screen::kPointerDefault, screen_.MousePointer());
  EXPECT_TRUE(c->Controls().Enabled());
  EXPECT_EQ(42, c->CodeToucheSpeciale);  // "*"
  EXPECT_FALSE(c->Txt_MontBaseRubSai.Visible());
  EXPECT_FALSE(c->Cmd_OK.Enabled());
  EXPECT_TRUE(c->Cmd_Ajouter.Enabled());
}

TEST_F(StartUpTest, AnOperatorWithoutFullRightsNeverSeesTheUpdatingButtons) {
  db_->PutRecord("COMPTEUR", "999", std::string("\xFE\xFE") + "041");
  rights_->SetDefaultLevel(1);
  auto c = Start();
  EXPECT_FALSE(c->Cmd_Ajouter.Visible());
  EXPECT_FALSE(c->Cmd_OK.Visible());
  EXPECT_FALSE(c->Cmd_Supprimer.Visible());
  EXPECT_TRUE(c->Cmd_Sortir.Visible());
}

TEST_F(StartUpTest, SettingTheRightsTwiceQueriesTheScreenEachTime) {
  Ctr_Talvero c(screen_);
  auto other = std::make_shared<outside::ConfiguredRights>();
  c.DroitsUtilisateur(rights_);
  c.DroitsUtilisateur(other);
  EXPECT_EQ(1, rights_->QueryCount("RUBRIQUEDESAISIE"));
  EXPECT_EQ(1, other->QueryCount("RUBRIQUEDESAISIE"));
  EXPECT_EQ(other, c.DroitsOperateur);
}

TEST_F(StartUpTest, AFileThatCannotBeOpenedFailsInitForTheHost) {
  auto empty = std::make_shared<Ctr_Talvero>(screen_);
  class NoFiles : public DBADatabase {
   public:
    std::shared_ptr<DBAFile> DBOpen(const std::string& f) override {
      throw ComponentError(kErrNoSuchFile, "Fichier " + f + " absent");
    }
    DynArrayPtr DBQuery(const std::string&, const std::string&, int32_t&) override {
      return std::make_shared<DBADynArray>();
    }
  };
  empty->TheDatabase(std::make_shared<NoFiles>());
  empty->DroitsUtilisateur(rights_);
  EXPECT_THROW(empty->Init(), ComponentError);
}

TEST_F(StartUpTest, TheTelemanagedFlagIsOfferedOnlyWhenAnAssociationNamesASystem) {
  db_->PutRecord("COMPTEUR", "999", std::string("\xFE\xFE") + "041");
  db_->PutRecord("ASSOCIATION", "A1", "X");
  EXPECT_FALSE(Start()->Cac_telegere.Visible());
  db_->PutRecord("ASSOCIATION", "A2", std::string(37, '\xFE') + "TG1");
  EXPECT_TRUE(Start()->Cac_telegere.Visible());
}

TEST_F(StartUpTest, TearDownReleasesTheSharedObjectsOfEveryInstance) {
  db_->PutRecord("COMPTEUR", "999", std::string("\xFE\xFE") + "041");
  auto first = Start();
  auto second = std::make_unique<Ctr_Talvero>(screen_);
  EXPECT_EQ(db_, second->Base);  // the globals are shared on this thread
  second.reset();                // never initialised, still releases everything
  EXPECT_EQ(nullptr, first->Base);
  EXPECT_EQ(nullptr, first->FicRubSaisie);
  EXPECT_EQ(nullptr, first->EnrCompteur);
}

}  // namespace
}  // namespace talvero
