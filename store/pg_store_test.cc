// What only the server store has: the server's plans, lost connections, stores in schemas.
#include "store/pg_store.h"

#include <gtest/gtest.h>

#include "store/pg_connection.h"
#include "store/selection.h"
#include "store/test_notation.h"

namespace talvero::store {
namespace {

// Records whose attributes the server cuts, or not: short and long texts, a multivalued attribute
// 1, fewer attributes than asked, marks inside attributes.
std::vector<std::pair<std::string, std::string>> MixedRecords() {
  return {{"001", Marks("PRIME A^2^^^^^^^^^^^^^^^^1")},
          {"002", Marks("PRIME B]AUTRE^x]y\\z^3")},
          {"003", Marks("PRIME C^^") + std::string(700, 'L') + Marks("^^^^^^^^^^^^^^1^FIN")},
          {"004", "SALAIRE"},
          {"005", Marks("PRIME D^") + std::string(2000, 'M') + Marks("^^^^^^^^^^^^^^^^")},
          {"006", Marks("ABSENCE^5^^^^^^^^^^^^^^^^^9^8^7^6^5^4")}};
}

// Sentences reading attributes past the first in every way: wanted, sorted on, tested; more of
// them than the server sends one by one.
const char* const kMixedRequests[][2] = {
    {"SSELECT RUBSAISIE PAR 1", "0 1 18"},
    {"SSELECT RUBSAISIE AVEC 1 = \"PRIME]\" PAR 1", "0 1 18 2"},
    {"SSELECT RUBSAISIE PAR 3", "0 3"},
    {"SSELECT RUBSAISIE AVEC 18 = \"1\" PAR 1", "1"},
    {"SSELECT RUBSAISIE AVEC 1 = \"AUTRE\"", "2 3 40"},
    {"SSELECT RUBSAISIE PAR 1", "2 3 4 5 6 7 8 9 10 18 19 20 21"},
};

// What a store answers to each of kMixedRequests, one line each.
std::string MixedAnswers(DBADatabase& db) {
  std::string answers;
  for (auto& [sentence, wanted] : kMixedRequests) {
    int32_t count = 0;
    std::string request = std::string(sentence) + kAttrMark + kAttrMark + wanted;
    answers += Readable(db.DBQuery(request, "", count)->Get()) + "\n";
  }
  return answers;
}

// The same on the embedded store holding those records, then the changed ones.
std::string SqliteMixedAnswers(
    const std::vector<std::pair<std::string, std::string>>& changes = {}) {
  FreshStore embedded(Backend::kSqlite);
  auto db = embedded.Open();
  for (auto& [id, text] : MixedRecords()) db->PutRecord("RUBSAISIE", id, text);
  for (auto& [id, text] : changes) db->PutRecord("RUBSAISIE", id, text);
  return MixedAnswers(*db);
}

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
      {"SSELECT PLANCOMPTABLE AVEC 1 = \"PRIME]\" PAR 1", "records_by_attr1_attrs"},
      {"SSELECT PLANCOMPTABLE AVEC 1 = \"LIBELLE 000123\"", "records_by_attr1_attrs"},
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

  // In the order of attribute 1, the whole list and a prefix search read the index alone, in
  // order, attribute 2 included: no sort, no row of the table.
  for (const char* sentence : {"SSELECT PLANCOMPTABLE PAR 1",
                               "SSELECT PLANCOMPTABLE AVEC 1 = "
                               "\"PRIME]\" PAR 1"}) {
    ScanShape shape{ChooseAccess(ParseQuery(sentence)), ScanShape::kByAttr1, true, {2}};
    std::string steps;
    for (const std::string& step : db_->ExplainScan("PLANCOMPTABLE", shape)) steps += step + "\n";
    EXPECT_NE(std::string::npos, steps.find("Merge Append")) << sentence << "\n" << steps;
    EXPECT_NE(std::string::npos, steps.find("Index Only Scan using records_by_attr1_attrs"))
        << sentence << "\n"
        << steps;
    EXPECT_EQ(std::string::npos, steps.find("Sort\n")) << sentence << "\n" << steps;
    EXPECT_EQ(std::string::npos, steps.find("Sort  (")) << sentence << "\n" << steps;
  }
}

// The server sends the attributes of short records one by one and the whole text of long ones:
// every sentence reads the same as on the embedded store.
TEST_F(PgStoreTest, ListsReadTheSameAttributesOfShortAndLongRecords) {
  for (auto& [id, text] : MixedRecords()) db_->PutRecord("RUBSAISIE", id, text);
  EXPECT_EQ(SqliteMixedAnswers(), MixedAnswers(*db_));
  db_->PutRecord("RUBSAISIE", "003", Marks("PRIME C^court"));
  db_->PutRecord("RUBSAISIE", "004", Marks("SALAIRE^") + std::string(900, 'N'));
  EXPECT_NE(std::string::npos, MixedAnswers(*db_).find("court"));
  for (const std::string& problem : db_->IntegrityProblems()) ADD_FAILURE() << problem;
}

// A lost session: the operation that meets it fails with a readable error and writes nothing; the
// next one reconnects. A transaction cut in the middle leaves nothing behind.
// A load of many records keeps what single writes keep: the copy of attribute 1 and its mark, the
// cut attributes, a journal version for each record with the text it replaced.
TEST_F(PgStoreTest, ALoadOfManyRecordsIsJournaledAndReadAsSingleWritesAre) {
  db_->PutRecord("RUBSAISIE", "002", "AVANT");
  db_->PutRecords("RUBSAISIE", MixedRecords());
  EXPECT_EQ(SqliteMixedAnswers(), MixedAnswers(*db_));
  std::vector<Version> versions = db_->History("RUBSAISIE", "002");
  ASSERT_EQ(2u, versions.size());
  EXPECT_EQ("AVANT", versions[1].before.value_or("(none)"));
  EXPECT_EQ(MixedRecords()[1].second, versions[1].after.value_or("(none)"));
  EXPECT_EQ(1u, db_->History("RUBSAISIE", "005").size());
  for (const std::string& problem : db_->IntegrityProblems()) ADD_FAILURE() << problem;
  EXPECT_EQ(kErrNoSuchFile, ErrorOf([&] { db_->PutRecords("ABSENT", MixedRecords()); }));
}

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

// A store made before the write function, the cut attributes and the present index of attribute
// 1 gets them when opened, keeps its records and their journal, and answers as before; records
// that an older program writes later get their cut attributes too.
TEST_F(PgStoreTest, AStoreFromBeforeTheWriteFunctionGetsItWhenOpened) {
  db_->PutRecord("PLANCOMPTABLE", "411", "CLIENTS");
  for (auto& [id, text] : MixedRecords()) db_->PutRecord("RUBSAISIE", id, text);
  {
    PgConnection admin(ServerUrl(), fresh_.Schema());
    for (const char* sql :
         {"DROP FUNCTION talvero_write_v2", "DROP TRIGGER records_attrs_on_insert ON records",
          "DROP TRIGGER records_attrs_on_update ON records", "DROP FUNCTION talvero_fill_attrs",
          "DROP FUNCTION talvero_attrs", "DROP INDEX records_by_attr1_attrs",
          "ALTER TABLE records DROP COLUMN attrs",
          "CREATE INDEX records_by_attr1 ON records (file, attr1_multivalued, attr1)"}) {
      admin.Run(sql);
    }
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
      "SELECT (to_regclass('records_by_attr1_attrs') IS NOT NULL)::text || ' ' || "
      "(to_regclass('records_by_attr1') IS NOT NULL)::text");
  EXPECT_EQ("true false", indexes.Value(0, 0));
  EXPECT_EQ(SqliteMixedAnswers(), MixedAnswers(*reopened));

  // An older program writes the text alone, in a row of its own or over a record's text, and
  // journals it.
  admin.Run(
      "INSERT INTO records (file, id, body, attr1, attr1_multivalued) "
      "VALUES ('RUBSAISIE', '\\x303037', '\\x4142fe32', '\\x4142', false)");
  admin.Run(
      "UPDATE records SET body = '\\x5052494d452041fe37' "
      "WHERE file = 'RUBSAISIE' AND id = '\\x303031'");
  admin.Run(
      "INSERT INTO journal (file, id, version, operator, after) VALUES "
      "('RUBSAISIE', '\\x303037', 1, 'ancien', '\\x4142fe32'), "
      "('RUBSAISIE', '\\x303031', 2, 'ancien', '\\x5052494d452041fe37')");
  EXPECT_EQ(SqliteMixedAnswers({{"007", Marks("AB^2")}, {"001", Marks("PRIME A^7")}}),
            MixedAnswers(*reopened));
  for (const std::string& problem : reopened->IntegrityProblems()) ADD_FAILURE() << problem;
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
