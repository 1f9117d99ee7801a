// What only the server store has: the server's plans, lost connections, stores in schemas.
#include "store/pg_store.h"

#include <gtest/gtest.h>

#include "store/pg_connection.h"
#include "store/test_notation.h"

namespace talvero::store {
namespace {

class PgStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (ServerUrl().empty()) GTEST_SKIP() << "TALVERO_PG_URL names no server";
    db_ = fresh_.OpenOnServer();
  }

  // Ends the store's session on the server, as a restart of the server or a cut does.
  void CutConnection() {
    PgConnection admin(ServerUrl(), "");
    PgResult ended = admin.Run(
        "SELECT pg_terminate_backend(pid)::text FROM pg_stat_activity WHERE application_name = $1",
        {PgParam::Text("talvero:" + fresh_.Schema())});
    ASSERT_EQ(1, ended.Rows());
  }

  FreshStore fresh_{Backend::kPostgres};
  std::shared_ptr<PgDatabase> db_;
};

// The candidates of a sentence come from an index range; only negative conditions read the file.
TEST_F(PgStoreTest, PrefixAndEqualityConditionsAreAnsweredFromIndexes) {
  db_->DBTransaction([&] {
    for (int i = 0; i < 5000; ++i) {
      std::string id = std::to_string(1000000 + i).substr(1);
      std::string label = (i % 500 == 7 ? "PRIME " : "LIBELLE ") + id;
      db_->PutRecord("PLANCOMPTABLE", id, label + (i == 2500 ? Marks("]PRIME MULTIPLE") : ""));
    }
  });
  auto plan = [&](const std::string& sentence) {
    std::string text;
    for (const std::string& step :
         db_->ExplainScan("PLANCOMPTABLE", ChooseAccess(ParseQuery(sentence)))) {
      text += step + "\n";
    }
    return text;
  };
  const char* indexed[][2] = {
      {"SSELECT PLANCOMPTABLE AVEC 1 = \"PRIME]\" PAR 1", "records_by_attr1_id"},
      {"SSELECT PLANCOMPTABLE AVEC 1 = \"LIBELLE 000123\"", "records_by_attr1_id"},
      {"SSELECT PLANCOMPTABLE AVEC @ID = \"0123]\" PAR 1", "records_pkey"},
      {"SSELECT PLANCOMPTABLE AVEC 0 = \"004999\" SANS 1 = \"X\"", "records_pkey"},
  };
  for (auto& [sentence, index] : indexed) {
    std::string steps = plan(sentence);
    EXPECT_NE(std::string::npos, steps.find(index)) << sentence << "\n" << steps;
    EXPECT_EQ(std::string::npos, steps.find("Seq Scan")) << sentence << "\n" << steps;
  }
  EXPECT_NE(std::string::npos, plan("SSELECT PLANCOMPTABLE SANS 0 = \"000001\"").find("Seq Scan"));

  int32_t count = 0;
  db_->DBQuery(std::string("SSELECT PLANCOMPTABLE AVEC 1 = \"PRIME]\" PAR 1") + kAttrMark, "",
               count);
  EXPECT_EQ(11, count);
}

// A lost session: the operation that meets it fails with a readable error and writes nothing; the
// next one reconnects. A transaction cut in the middle leaves nothing behind.
TEST_F(PgStoreTest, ALostConnectionFailsOneOperationAndTheNextReconnects) {
  db_->PutRecord("RUBSAISIE", "012", "AVANT");
  CutConnection();
  try {
    db_->PutRecord("RUBSAISIE", "012", "PENDANT");
    ADD_FAILURE() << "a write on a lost connection succeeded";
  } catch (const ComponentError& e) {
    EXPECT_EQ(kErrStorage, e.Number());
    EXPECT_NE(std::string::npos, std::string(e.what()).find("connexion")) << e.what();
  }
  EXPECT_EQ("AVANT", db_->DBOpen("RUBSAISIE")->DBRead("012")->Get());

  auto item = db_->DBOpen("RUBSAISIE")->DBRead("012");
  EXPECT_EQ(kErrStorage, ErrorOf([&] {
              db_->DBTransaction([&] {
                db_->PutRecord("RUBSAISIE", "013", "NOUVELLE");
                CutConnection();
                item->Set(1, "APRES");
                item->DBWrite();
              });
            }));
  EXPECT_EQ(std::nullopt, db_->GetRecord("RUBSAISIE", "013"));
  item->DBWrite();
  EXPECT_EQ("APRES", db_->GetRecord("RUBSAISIE", "012").value());
  EXPECT_EQ(2u, db_->History("RUBSAISIE", "012").size());
}

// A store made before the write function and the index of attribute 1 ending with the id gets
// both when opened, and keeps its records and their journal.
TEST_F(PgStoreTest, AStoreFromBeforeTheWriteFunctionGetsItWhenOpened) {
  db_->PutRecord("PLANCOMPTABLE", "411", "CLIENTS");
  {
    PgConnection admin(ServerUrl(), fresh_.Schema());
    admin.Run("DROP FUNCTION talvero_write_v1");
    admin.Run("DROP INDEX records_by_attr1_id");
    admin.Run("CREATE INDEX records_by_attr1 ON records (file, attr1_multivalued, attr1)");
  }
  auto reopened = PgDatabase::Open(ServerUrl(), fresh_.Schema(), OpenMode::kExisting);
  reopened->PutRecord("PLANCOMPTABLE", "411", "CLIENTS ET COMPTES RATTACHES");
  EXPECT_TRUE(reopened->DeleteRecord("PLANCOMPTABLE", "411"));
  std::vector<Version> versions = reopened->History("PLANCOMPTABLE", "411");
  ASSERT_EQ(3u, versions.size());
  EXPECT_EQ("CLIENTS", versions[1].before.value_or("(none)"));
  EXPECT_EQ(std::nullopt, versions[2].after);
  PgConnection admin(ServerUrl(), fresh_.Schema());
  PgResult indexes = admin.Run(
      "SELECT (to_regclass('records_by_attr1_id') IS NOT NULL)::text || ' ' || "
      "(to_regclass('records_by_attr1') IS NOT NULL)::text");
  EXPECT_EQ("true false", indexes.Value(0, 0));
  EXPECT_TRUE(reopened->IntegrityProblems().empty());
}

TEST_F(PgStoreTest, StoresInSchemasAreSeparateAndAMissingOneIsNeverMadeUnasked) {
  db_->PutRecord("RUBSAISIE", "012", "ICI");
  FreshStore elsewhere(Backend::kPostgres);
  EXPECT_EQ(kErrStorage, ErrorOf([&] {
              PgDatabase::Open(ServerUrl(), elsewhere.Schema(), OpenMode::kExisting);
            }));
  EXPECT_EQ(std::nullopt, elsewhere.OpenOnServer()->GetRecord("RUBSAISIE", "012"));
  EXPECT_EQ("ICI", PgDatabase::Open(ServerUrl(), fresh_.Schema(), OpenMode::kExisting)
                       ->GetRecord("RUBSAISIE", "012")
                       .value());
  EXPECT_EQ(kErrStorage, ErrorOf([&] { PgDatabase::Open(ServerUrl(), "deux mots"); }));
  EXPECT_EQ(kErrStorage, ErrorOf([&] { PgDatabase::Open("postgresql:///absente?host=/nulle"); }));
}

}  // namespace
}  // namespace talvero::store
