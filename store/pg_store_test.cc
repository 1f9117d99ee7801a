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
      {"SSELECT PLANCOMPTABLE AVEC 1 = \"PRIME]\" PAR 1", "records_by_attr1_in_order"},
      {"SSELECT PLANCOMPTABLE AVEC 1 = \"LIBELLE 000123\"", "records_by_attr1_in_order"},
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

  // In the order of attribute 1, the whole list and a prefix search read the indexes alone, in
  // order, attribute 2 included: no sort, no row of the table. The search merges the records
  // whose attribute 1 holds several values, from their own index.
  const char* ordered[][2] = {
      {"SSELECT PLANCOMPTABLE PAR 1", "Index Only Scan using records_by_attr1_in_order"},
      {"SSELECT PLANCOMPTABLE AVEC 1 = \"PRIME]\" PAR 1",
       "Merge Append|Index Only Scan using records_by_attr1_in_order|"
       "Index Only Scan using records_attr1_multivalued"},
  };
  for (auto& [sentence, expected] : ordered) {
    ScanShape shape{ChooseAccess(ParseQuery(sentence)), ScanShape::kByAttr1, true, {2}};
    std::string steps;
    for (const std::string& step : db_->ExplainScan("PLANCOMPTABLE", shape)) steps += step + "\n";
    std::string_view rest = expected;
    for (size_t bar; !rest.empty(); rest = bar == rest.npos ? "" : rest.substr(bar + 1)) {
      bar = rest.find('|');
      EXPECT_NE(std::string::npos, steps.find(rest.substr(0, bar))) << sentence << "\n" << steps;
    }
    EXPECT_EQ(std::string::npos, steps.find("Sort\n")) << sentence << "\n" << steps;
    EXPECT_EQ(std::string::npos, steps.find("Sort  (")) << sentence << "\n" << steps;
    EXPECT_EQ(std::string::npos, steps.find("Heap Scan")) << sentence << "\n" << steps;
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

// A list reading attributes makes its file keep them apart, once, outside transactions; a program
// that opened the store before, and does not know it, still writes them.
TEST_F(PgStoreTest, ListsMakeTheirFileKeepTheAttributesTheyReadForEveryWriter) {
  auto earlier = PgDatabase::Open(ServerUrl(), fresh_.Schema());
  for (auto& [id, text] : MixedRecords()) earlier->PutRecord("RUBSAISIE", id, text);
  PgConnection admin(ServerUrl(), fresh_.Schema());
  auto listed = [&] {
    return std::string(
        admin.Run("SELECT listed::text FROM files WHERE name = 'RUBSAISIE'").Value(0, 0));
  };
  int32_t count = 0;
  std::string list = std::string("SSELECT RUBSAISIE PAR 1") + kAttrMark + kAttrMark;
  db_->DBTransaction([&] { db_->DBQuery(list + "0 1 18", "", count); });
  EXPECT_EQ("{}", listed());
  EXPECT_EQ(SqliteMixedAnswers(), MixedAnswers(*db_));
  EXPECT_EQ("{18,2,3,40}", listed());  // each new one at the end  // the sentences reading more
                                       // than a few read whole texts

  const std::string changed = Marks("PRIME A^2^^^^^^^^^^^^^^^^7");
  earlier->PutRecord("RUBSAISIE", "001", changed);
  EXPECT_EQ(SqliteMixedAnswers({{"001", changed}}), MixedAnswers(*db_));
  for (const std::string& problem : db_->IntegrityProblems()) ADD_FAILURE() << problem;
  admin.Run("UPDATE records SET listed_attrs = '' WHERE id = '\\x303031'");
  EXPECT_EQ(1u, db_->IntegrityProblems().size());

  // A session in the middle of a write holds the table: the list does not wait for it.
  admin.Begin();
  admin.Run("UPDATE records SET body = body WHERE id = '\\x303032'");
  EXPECT_EQ(Readable(earlier->DBQuery(list + "0 5", "", count)->Get()),
            Readable(db_->DBQuery(list + "0 5", "", count)->Get()));
  admin.End(false);
  EXPECT_EQ("{18,2,3,40}", listed());
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

// Every version of every record, readable, for comparing two journals.
std::string Journal(Store& db, const std::string& file, const std::vector<std::string>& ids) {
  auto text = [](const std::optional<std::string>& t) { return t ? Readable(*t) : "(aucun)"; };
  std::string journal;
  for (const std::string& id : ids) {
    for (const Version& v : db.History(file, id)) {
      journal += id + " " + std::to_string(v.number) + " " + v.time + " " + v.operator_name + " " +
                 text(v.before) + " > " + text(v.after) + "\n";
    }
  }
  return journal;
}

// A store of the layout before on the server (every text cut apart, the journal numbering each
// record's versions and keeping the text before each, a write function and a trigger of the
// programs of that time) is rewritten when first opened: every version kept, in its order, with
// its text before; the answers are those of the embedded store; the old program's function and
// trigger are gone, so that it cannot write a version this journal would not read.
TEST_F(PgStoreTest, AStoreOfAnEarlierLayoutIsRewrittenWhenOpened) {
  db_->SetOperator("DUPONT");
  db_->PutRecord("PLANCOMPTABLE", "411", "CLIENTS");
  db_->PutRecord("PLANCOMPTABLE", "411", "CLIENTS ET COMPTES RATTACHES");
  for (auto& [id, text] : MixedRecords()) db_->PutRecord("RUBSAISIE", id, text);
  EXPECT_TRUE(db_->DeleteRecord("RUBSAISIE", "002"));
  db_->PutRecord("RUBSAISIE", "002", MixedRecords()[1].second);
  const std::vector<std::string> ids = {"001", "002", "003", "004", "005", "006"};
  const std::string accounts = Journal(*db_, "PLANCOMPTABLE", {"411"});
  const std::string items = Journal(*db_, "RUBSAISIE", ids);
  {
    PgConnection admin(ServerUrl(), fresh_.Schema());
    for (const char* sql : {
             "ALTER TABLE journal RENAME TO journal_now",
             "ALTER INDEX journal_pkey RENAME TO journal_now_pkey",
             "CREATE TABLE journal (file text COLLATE \"C\" NOT NULL, id bytea NOT NULL, "
             "version integer NOT NULL, at timestamptz NOT NULL DEFAULT now(), "
             "operator text NOT NULL, before bytea, after bytea, PRIMARY KEY (file, id, version))",
             "INSERT INTO journal SELECT file, id, row_number() OVER w, at, operator, "
             "lag(after) OVER w, after FROM journal_now "
             "WINDOW w AS (PARTITION BY file, id ORDER BY seq) ORDER BY seq DESC",
             "DROP TABLE journal_now",
             "ALTER TABLE files DROP COLUMN listed",
             "ALTER TABLE records DROP COLUMN listed_attrs",
             "ALTER TABLE records ADD COLUMN attrs bytea[]",
             "UPDATE records SET attrs = talvero_attrs(body)",
             "CREATE INDEX records_by_attr1_attrs ON records (file, attr1_multivalued, attr1, id) "
             "INCLUDE (attrs)",
             "DROP FUNCTION talvero_listed_attrs",
             "CREATE FUNCTION talvero_write_v2(text, bytea, bytea, bytea, boolean, bytea[], text, "
             "boolean) RETURNS boolean LANGUAGE sql AS 'SELECT true'",
             "CREATE FUNCTION talvero_fill_attrs() RETURNS trigger LANGUAGE plpgsql AS "
             "'BEGIN RETURN NEW; END'",
             "CREATE TRIGGER records_attrs_on_update BEFORE UPDATE ON records FOR EACH ROW "
             "EXECUTE FUNCTION talvero_fill_attrs()",
         }) {
      admin.Run(sql);
    }
  }
  auto reopened = PgDatabase::Open(ServerUrl(), fresh_.Schema(), OpenMode::kExisting);
  EXPECT_EQ(accounts, Journal(*reopened, "PLANCOMPTABLE", {"411"}));
  EXPECT_EQ(items, Journal(*reopened, "RUBSAISIE", ids));
  EXPECT_EQ(SqliteMixedAnswers(), MixedAnswers(*reopened));
  for (const std::string& problem : reopened->IntegrityProblems()) ADD_FAILURE() << problem;

  // The journal goes on from there.
  EXPECT_TRUE(reopened->DeleteRecord("PLANCOMPTABLE", "411"));
  std::vector<Version> versions = reopened->History("PLANCOMPTABLE", "411");
  ASSERT_EQ(3u, versions.size());
  EXPECT_EQ("CLIENTS ET COMPTES RATTACHES", versions[2].before.value_or("(none)"));

  PgConnection admin(ServerUrl(), fresh_.Schema());
  PgResult left = admin.Run(
      "SELECT (to_regclass('records_by_attr1_in_order') IS NOT NULL)::text || ' ' || "
      "(to_regclass('records_by_attr1_attrs') IS NOT NULL)::text || ' ' || "
      "(to_regproc('talvero_write_v2') IS NOT NULL)::text || ' ' || "
      "(SELECT count(*) FROM pg_trigger WHERE tgname = 'records_attrs_on_update')::text");
  EXPECT_EQ("true false false 0", left.Value(0, 0));
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
