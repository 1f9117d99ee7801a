// A real restart of the server under an open store. It needs the server to itself (ctest runs it
// alone) and a way to restart it, which make test gives in TALVERO_PG_RESTART only for the
// throwaway server it started: a server named by the caller is never restarted.
#include <gtest/gtest.h>

#include <cstdlib>

#include "store/pg_store.h"
#include "store/test_notation.h"

namespace talvero::store {
namespace {

std::string RestartCommand() {
  const char* command = std::getenv("TALVERO_PG_RESTART");
  return command ? command : "";
}

// The text of the error an action raises, "" when it raises none.
std::string ErrorText(const std::function<void()>& action) try {
  action();
  return "";
} catch (const ComponentError& e) {
  return std::to_string(e.Number()) + " " + e.what();
}

TEST(PgRestartTest, ARestartFailsTheNextOperationWithNothingHalfWrittenAndTheOneAfterReconnects) {
  if (ServerUrl().empty() || RestartCommand().empty()) {
    GTEST_SKIP() << "no throwaway server to restart";
  }
  FreshStore fresh(Backend::kPostgres);
  auto db = fresh.OpenOnServer();
  db->PutRecord("COMPTEUR", "999", Marks("^^041"));
  auto counter = db->DBOpen("COMPTEUR")->DBRead("999");

  ASSERT_EQ(0, std::system(RestartCommand().c_str()));
  counter->Set(3, "042");
  std::string error = ErrorText([&] { counter->DBWrite(); });
  EXPECT_EQ(0u, error.find(std::to_string(kErrStorage) + " La connexion au serveur")) << error;
  EXPECT_EQ("^^041", Readable(db->GetRecord("COMPTEUR", "999").value()));
  counter->DBWrite();
  EXPECT_EQ("^^042", Readable(db->GetRecord("COMPTEUR", "999").value()));

  error = ErrorText([&] {
    db->DBTransaction([&] {
      db->DBOpen("RUBSAISIE")->DBInsert("042", "PRIME");
      ASSERT_EQ(0, std::system(RestartCommand().c_str()));
      counter->Set(3, "043");
      counter->DBWrite();
    });
  });
  EXPECT_NE(std::string::npos, error.find("connexion")) << error;
  EXPECT_EQ(std::nullopt, db->GetRecord("RUBSAISIE", "042"));
  EXPECT_EQ("^^042", Readable(db->GetRecord("COMPTEUR", "999").value()));
  EXPECT_EQ(2u, db->History("COMPTEUR", "999").size());
}

}  // namespace
}  // namespace talvero::store
