// The contract of sqlite_store.h and store.h, held by both backends with the same tables.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <set>
#include <thread>

#include "store/store.h"
#include "store/test_notation.h"

namespace talvero::store {
namespace {

class StoreContractTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (GetParam() == Backend::kPostgres && ServerUrl().empty()) {
      GTEST_SKIP() << "TALVERO_PG_URL names no server";
    }
    db_ = fresh_.Open();
  }

  // The result in the readable notation, then the count: "014]PRIME^022]PRIME (2)".
  std::string Query(const std::string& sentence, const std::string& wanted = "0") {
    int32_t count = -1;
    std::string text = db_->DBQuery(sentence + kAttrMark + kAttrMark + wanted, "", count)->Get();
    return Readable(text) + " (" + std::to_string(count) + ")";
  }

  FreshStore fresh_{GetParam()};
  std::shared_ptr<Store> db_;
};

// Awkward records: numbers that are equal only as numbers, texts with the characters of the
// notation and of the sentences, a multivalued attribute 1, bytes above ASCII, ties.
TEST_P(StoreContractTest, SentencesCompareBytesExactly) {
  // Literal "^", "[" and "]" in stored texts: put without the notation.
  const std::pair<const char*, std::string> records[] = {
      {"001", "012"},         {"002", "12"},         {"003", "1.50"},   {"004", "1.5"},
      {"005", "[PRIME"},      {"006", "^PRIME"},     {"007", "PRIME]"}, {"008", Marks("B]A")},
      {"009", "B"},           {"010", "BA"},         {"011", ""},       {"012", "b"},
      {"013", "\xC3\x89TAT"}, {"014", Marks("X^Y")}, {"020", "DUP"},    {"021", Marks("DUP^2")},
      {"019", "DUP"}};
  for (auto& [id, text] : records) db_->PutRecord("RUBSAISIE", id, text);
  const char* rows[][2] = {
      // Never numeric.
      {"SSELECT RUBSAISIE AVEC 1 = \"12\"", "002 (1)"},
      {"SSELECT RUBSAISIE AVEC 1 = \"1.5\"", "004 (1)"},
      {"SSELECT RUBSAISIE AVEC 1 = \"1]\"", "002^003^004 (3)"},
      // Only a final "]" is special; "^" and a leading "[" are literal.
      {"SSELECT RUBSAISIE AVEC 1 = \"[PRIME\"", "005 (1)"},
      {"SSELECT RUBSAISIE AVEC 1 = \"[PRIME]\"", "005 (1)"},
      {"SSELECT RUBSAISIE AVEC 1 = \"^PRIME\"", "006 (1)"},
      {"SSELECT RUBSAISIE AVEC 1 = \"PRIME]\"", "007 (1)"},
      {"SSELECT RUBSAISIE AVEC 1 = \"PRIME]]\"", "007 (1)"},
      {"SSELECT RUBSAISIE AVEC 1 = \"PRIME]]]\"", " (0)"},
      // Any value; a missing attribute is one empty value.
      {"SSELECT RUBSAISIE AVEC 1 = \"A\"", "008 (1)"},
      {"SSELECT RUBSAISIE AVEC 1 = \"A]\" AVEC 1 = \"B\"", "008 (1)"},
      {"SSELECT RUBSAISIE AVEC 1 <> \"B\" AVEC 1 = \"B]\"", "008^010 (2)"},
      {"SSELECT RUBSAISIE SANS 1 <> \"B\"", "009 (1)"},
      {"SSELECT RUBSAISIE AVEC 2 <> \"\"", "014^021 (2)"},
      {"SSELECT RUBSAISIE AVEC 1 = \"\" AVEC 2 = \"\"", "011 (1)"},
      {"SSELECT RUBSAISIE AVEC @ID = \"01]\" SANS 0 = \"012\" AVEC 1 <> \"\"",
       "010^013^014^019 (4)"},
      // Byte order of the whole attribute, a value mark after every character; ties by id.
      {"SSELECT RUBSAISIE PAR 1",
       "011^001^004^003^002^009^010^008^019^020^021^007^014^005^006^012^013 (17)"},
      {"SSELECT RUBSAISIE AVEC 1 = \"B]\" PAR 1", "009^010^008 (3)"},
      {"SSELECT RUBSAISIE AVEC 1 = \"DUP\" PAR 1", "019^020^021 (3)"},
  };
  for (auto& [sentence, expected] : rows) EXPECT_EQ(expected, Query(sentence)) << sentence;
  // A multivalued attribute comes back with sub-value marks.
  EXPECT_EQ("008]B\\A] (1)", Query("SSELECT RUBSAISIE AVEC 1 = \"A\"", "@ID 1 2"));
}

// SELECT with PAR promises the order of the keys, never the order of equal keys.
TEST_P(StoreContractTest, SelectWithParOrdersTheKeysOnly) {
  for (const char* id : {"3", "1", "2"}) db_->PutRecord("ASSOCIATION", id, Marks("^X"));
  db_->PutRecord("ASSOCIATION", "0", Marks("^W"));
  std::string rows = Query("SELECT ASSOCIATION AVEC 2 <> \"\" PAR 2", "2 0");
  EXPECT_EQ("W]0^X]", rows.substr(0, 6)) << rows;
  std::string tied = rows.substr(4);
  for (const char* id : {"X]1", "X]2", "X]3"}) EXPECT_NE(std::string::npos, tied.find(id)) << rows;
}

TEST_P(StoreContractTest, ErrorsAreTheSameOnEveryBackend) {
  db_->PutRecord("RUBSAISIE", "003", "SALAIRE");
  int32_t count = 7;
  auto query = [&](const std::string& request) { db_->DBQuery(request, "", count); };
  for (const char* sentence :
       {"SSELECT RUBSAISIE AVEC 1 = \"A", "SSELECT RUBSAISIE PARR 1", "SSELECT RUBSAISIE AVEC 1",
        "sselect RUBSAISIE", "SSELECT RUBSAISIE AVEC 1 = \"A\" AND"}) {
    EXPECT_EQ(kErrBadQuery, ErrorOf([&] { query(sentence); })) << sentence;
  }
  EXPECT_EQ(kErrBadQuery, ErrorOf([&] { query(Marks("SSELECT RUBSAISIE^COMPTEUR^0")); }));
  EXPECT_EQ(kErrNoSuchFile, ErrorOf([&] { query("SSELECT RUBSAISIES"); }));
  EXPECT_EQ(kErrNoSuchFile, ErrorOf([&] { query("SSELECT RUBSAISIE\xE9"); }));
  EXPECT_EQ(7, count);
  EXPECT_EQ(kErrNoSuchFile, ErrorOf([&] { db_->DBOpen("RUBSAISIES"); }));
  EXPECT_EQ(kErrNoSuchFile, ErrorOf([&] { db_->PutRecord("AUTRE", "1", "A"); }));
  EXPECT_EQ(kErrNoSuchFile, ErrorOf([&] { db_->GetRecord("AUTRE", "1"); }));
  EXPECT_EQ(kErrNoSuchFile, ErrorOf([&] { db_->DeleteRecord("\xFF", "1"); }));
  EXPECT_EQ(kErrStorage, ErrorOf([&] { db_->CreateFile("PAIE\xE9"); }));
  EXPECT_EQ(kErrStorage, ErrorOf([&] { db_->PutRecord("RUBSAISIE", "", "A"); }));
  EXPECT_EQ(kErrStorage, ErrorOf([&] { db_->PutRecord("RUBSAISIE", Marks("1]2"), "A"); }));
  EXPECT_EQ(kErrStorage, ErrorOf([&] { db_->CreateFile("DEUX MOTS"); }));
  EXPECT_EQ(kErrRecordNotFound, ErrorOf([&] { db_->DBOpen("RUBSAISIE")->DBRead("004"); }));
  EXPECT_EQ(kErrRecordNotFound, ErrorOf([&] { db_->Restore("RUBSAISIE", "003", 2); }));
  // A file named with a quote, a backslash and accents is answered like any other.
  db_->CreateFile("L'ÃTÃ\\");
  db_->PutRecord("L'ÃTÃ\\", "2", "B");
  db_->PutRecord("L'ÃTÃ\\", "1", "C");
  EXPECT_EQ("2^1 (2)", Query("SSELECT L'ÃTÃ\\ PAR 1"));
  EXPECT_EQ((std::vector<std::string>{"ASSOCIATION", "COMPTEUR", "L'ÃTÃ\\", "PLANCOMPTABLE",
                                      "RUBSAISIE"}),
            db_->Files());
  EXPECT_TRUE(db_->IntegrityProblems().empty());
}

// Every change is kept with the text before and after, also the one that another user's write
// overwrote without having seen it.
TEST_P(StoreContractTest, TheJournalKeepsEveryVersion) {
  auto other = fresh_.Open();
  db_->SetOperator("DUPONT");
  other->SetOperator("MARTIN");
  auto mine = db_->DBOpen("RUBSAISIE")->DBRecord("012");
  mine->Set(1, "PRIME");
  mine->DBWrite();
  auto theirs = other->DBOpen("RUBSAISIE")->DBRead("012");
  mine->Set(2, "6");
  theirs->Set(1, "PRIME VACANCES");
  theirs->DBWrite();
  mine->DBWrite();  // overwrites MARTIN's label
  EXPECT_TRUE(db_->DeleteRecord("RUBSAISIE", "012"));
  EXPECT_FALSE(db_->DeleteRecord("RUBSAISIE", "012"));

  auto text = [](const std::optional<std::string>& t) { return t ? Readable(*t) : "(aucun)"; };
  std::string history;
  for (const Version& v : other->History("RUBSAISIE", "012")) {
    history += std::to_string(v.number) + " " + v.operator_name + " " + text(v.before) + " > " +
               text(v.after) + "\n";
    EXPECT_EQ(19u, v.time.size()) << v.time;
  }
  EXPECT_EQ(
      "1 DUPONT (aucun) > PRIME\n"
      "2 MARTIN PRIME > PRIME VACANCES\n"
      "3 DUPONT PRIME VACANCES > PRIME^6\n"
      "4 DUPONT PRIME^6 > (aucun)\n",
      history);

  other->Restore("RUBSAISIE", "012", 2);
  EXPECT_EQ("PRIME VACANCES", db_->GetRecord("RUBSAISIE", "012").value());
  other->Restore("RUBSAISIE", "012", 4);
  EXPECT_EQ(std::nullopt, db_->GetRecord("RUBSAISIE", "012"));
  EXPECT_EQ(6u, db_->History("RUBSAISIE", "012").size());
  EXPECT_TRUE(db_->History("RUBSAISIE", "013").empty());
  EXPECT_TRUE(db_->IntegrityProblems().empty());
}

TEST_P(StoreContractTest, TransactionsAreAllOrNothingAndNest) {
  auto file = db_->DBOpen("COMPTEUR");
  EXPECT_EQ(kErrStorage, ErrorOf([&] {
              db_->DBTransaction([&] {
                db_->PutRecord("COMPTEUR", "999", Marks("^^041"));
                throw ComponentError(kErrStorage, "abandon");
              });
            }));
  EXPECT_EQ(std::nullopt, db_->GetRecord("COMPTEUR", "999"));
  db_->DBTransaction([&] {
    auto counter = file->DBRecord("999");
    counter->Set(3, "041");
    counter->DBWrite();
    // An inner failure undoes the inner writes only.
    EXPECT_EQ(kErrBadQuery, ErrorOf([&] {
                db_->DBTransaction([&] {
                  db_->PutRecord("COMPTEUR", "998", "X");
                  int32_t count = 0;
                  db_->DBQuery("SSELECT COMPTEUR PARR", "", count);
                });
              }));
    EXPECT_EQ("^^041", Readable(file->DBRead("999")->Get()));
  });
  EXPECT_EQ("^^041", Readable(db_->GetRecord("COMPTEUR", "999").value()));
  EXPECT_EQ(std::nullopt, db_->GetRecord("COMPTEUR", "998"));
}

// Two users allocating codes from the counter at once, each read-advance-write in a transaction:
// other writers wait, so no code is handed out twice.
TEST_P(StoreContractTest, ConcurrentCounterAllocationsNeverInterleave) {
  db_->PutRecord("COMPTEUR", "999", Marks("^^0"));
  constexpr int kEach = 15;
  auto allocate = [this](std::shared_ptr<Store> user, std::vector<long>* codes) {
    auto counter_file = user->DBOpen("COMPTEUR");
    for (int i = 0; i < kEach; ++i) {
      user->DBTransaction([&] {
        auto counter = counter_file->DBRead("999");
        long code = std::stol(counter->Get(3)) + 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));  // room for the other
        counter->Set(3, std::to_string(code));
        counter->DBWrite();
        codes->push_back(code);
      });
    }
  };
  std::vector<long> first, second;
  std::thread other(allocate, fresh_.Open(), &second);
  allocate(fresh_.Open(), &first);
  other.join();
  first.insert(first.end(), second.begin(), second.end());
  EXPECT_EQ(2u * kEach, std::set<long>(first.begin(), first.end()).size()) << "a code given twice";
  EXPECT_EQ(std::to_string(2 * kEach), db_->DBOpen("COMPTEUR")->DBRead("999")->Get(3));
  EXPECT_EQ(2u * kEach + 1, db_->History("COMPTEUR", "999").size());
}

// A write outside any transaction waits for a transaction that read the record and will write it:
// it never lands between the transaction's read and its write.
TEST_P(StoreContractTest, ASingleWriteWaitsForATransaction) {
  db_->PutRecord("COMPTEUR", "999", Marks("^^0"));
  std::atomic<bool> read = false;
  std::thread transaction([user = fresh_.Open(), &read] {
    user->DBTransaction([&] {
      auto counter = user->DBOpen("COMPTEUR")->DBRead("999");
      read = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      counter->Set(3, std::to_string(std::stol(counter->Get(3)) + 1));
      counter->DBWrite();
    });
  });
  while (!read) std::this_thread::yield();
  fresh_.Open()->PutRecord("COMPTEUR", "999", Marks("^^50"));
  transaction.join();
  std::vector<Version> versions = db_->History("COMPTEUR", "999");
  ASSERT_EQ(3u, versions.size());
  EXPECT_EQ(Marks("^^1"), versions[1].after.value_or("(none)"));
  EXPECT_EQ(Marks("^^50"), db_->GetRecord("COMPTEUR", "999").value_or("(none)"));
}

// Two users writing the same record at once, each write on its own: every write is a version, in
// the order they were made, so the journal ends with the text the record holds.
TEST_P(StoreContractTest, WritesOfOneRecordAtOnceAreJournaledInTheirOrder) {
  constexpr int kEach = 40;
  auto write = [](std::shared_ptr<Store> user, const std::string& who) {
    for (int i = 0; i < kEach; ++i) {
      user->PutRecord("RUBSAISIE", "012", Marks("PRIME^" + who + std::to_string(i)));
      if (i % 10 == 9) user->DeleteRecord("RUBSAISIE", "012");
    }
  };
  std::thread other(write, fresh_.Open(), "B");
  write(fresh_.Open(), "A");
  other.join();
  std::vector<Version> versions = db_->History("RUBSAISIE", "012");
  EXPECT_LE(2u * kEach + 4, versions.size());  // a delete may find the other's delete done
  std::set<std::string> texts;
  for (size_t k = 0; k < versions.size(); ++k) {
    EXPECT_EQ(static_cast<int>(k + 1), versions[k].number);
    if (k > 0) EXPECT_EQ(versions[k - 1].after, versions[k].before) << "version " << k + 1;
    if (versions[k].after) texts.insert(*versions[k].after);
  }
  EXPECT_EQ(2u * kEach, texts.size());
  EXPECT_EQ(versions.back().after, db_->GetRecord("RUBSAISIE", "012"));
  for (const std::string& problem : db_->IntegrityProblems()) ADD_FAILURE() << problem;
}

// Several processes, on several machines for a server, may open the same new store at once: one
// makes it, the others wait for it and find the four files.
TEST_P(StoreContractTest, SeveralProcessesMayCreateTheSameNewStoreAtOnce) {
  const int rounds = GetParam() == Backend::kSqlite ? 12 : 3;
  for (int round = 0; round < rounds; ++round) {
    FreshStore store(GetParam());
    std::vector<int> statuses =
        InProcesses(4, [&](int) { return store.Open()->Files().size() == 4 ? 0 : 1; });
    EXPECT_EQ(std::vector<int>(4, 0), statuses) << "round " << round;
    store.Open();  // so that a server's schema is dropped
  }
}

TEST_P(StoreContractTest, InsertNeverReplacesARecord) {
  auto file = db_->DBOpen("RUBSAISIE");
  db_->PutRecord("RUBSAISIE", "041", "ANCIENNE");
  EXPECT_FALSE(file->DBInsert("041", "NOUVELLE"));
  EXPECT_TRUE(file->DBInsert("042", "NOUVELLE"));
  EXPECT_EQ("ANCIENNE", file->DBRead("041")->Get());
  EXPECT_EQ("NOUVELLE", file->DBRead("042")->Get());
  EXPECT_EQ(1u, db_->History("RUBSAISIE", "041").size());
  EXPECT_EQ(1u, db_->History("RUBSAISIE", "042").size());
  EXPECT_EQ(kErrStorage, ErrorOf([&] { file->DBInsert("", "X"); }));
}

// Random awkward records and sentences: the server store answers every one exactly as the
// embedded store does, errors included.
TEST(BackendsTest, GiveTheSameAnswerToRandomSentences) {
  if (ServerUrl().empty()) GTEST_SKIP() << "TALVERO_PG_URL names no server";
  FreshStore embedded(Backend::kSqlite), server(Backend::kPostgres);
  std::shared_ptr<Store> stores[] = {embedded.Open(), server.Open()};
  std::mt19937 random(20261206);
  auto pick = [&](const std::vector<std::string>& choices) {
    return choices[random() % choices.size()];
  };
  const std::vector<std::string> pieces = {"A", "B", "b", "1", "12",       "012",  "1.5",
                                           "[", "]", "^", " ", "\xC3\x89", "\xFF", "PRIME"};
  auto text = [&](int most) {
    std::string t;
    for (int n = random() % (most + 1); n > 0; --n) t += pick(pieces);
    return t;
  };
  const std::vector<std::string> marks = {std::string(1, kAttrMark), std::string(1, kValueMark),
                                          std::string(1, kSubMark)};
  std::vector<std::pair<std::string, std::string>> records;
  for (int i = 0; i < 300; ++i) {
    std::string record;
    for (int n = random() % 6; n > 0; --n) record += text(2) + pick(marks);
    std::string id = text(3);
    records.emplace_back(id.empty() ? "0" : id, record + text(2));
  }
  for (auto& db : stores) {
    db->DBTransaction([&] {
      for (auto& [id, record] : records) db->PutRecord("RUBSAISIE", id, record);
    });
  }
  for (int i = 0; i < 500; ++i) {
    std::string sentence = random() % 2 ? "SSELECT RUBSAISIE" : "SELECT RUBSAISIE";
    for (int n = random() % 4; n > 0; --n) {
      sentence += pick({" AVEC ", " SANS ", " AND AVEC "}) + pick({"0", "@ID", "1", "2", "3"}) +
                  pick({" = ", " <> "}) + "\"" + text(2) + pick({"", "]"}) + "\"";
    }
    if (random() % 2) sentence += " PAR " + pick({"0", "1", "2", "3"});
    std::string answers[2];
    for (int b = 0; b < 2; ++b) {
      int32_t count = -1;
      int32_t error = ErrorOf([&] {
        answers[b] =
            stores[b]->DBQuery(sentence + kAttrMark + kAttrMark + "0 1 2", "", count)->Get();
      });
      answers[b] += " (" + std::to_string(count) + ", " + std::to_string(error) + ")";
    }
    ASSERT_EQ(Readable(answers[0]), Readable(answers[1])) << sentence;
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, StoreContractTest,
                         ::testing::Values(Backend::kSqlite, Backend::kPostgres),
                         [](const auto& info) { return BackendName(info.param); });

}  // namespace
}  // namespace talvero::store
