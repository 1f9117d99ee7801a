#include "store/query.h"

#include <gtest/gtest.h>

#include "store/test_notation.h"

namespace talvero::store {
namespace {

TEST(QueryGrammarTest, RefusesMalformedSentences) {
  for (const char* sentence :
       {"", "LIST F", "sselect F", "SSELECT AVEC 1 = \"A\"", "SSELECT F AVEC 1 = \"PRIME]",
        "SSELECT F AVEC 1 = PRIME", "SSELECT F AVEC X = \"A\"", "SSELECT F AVEC @id = \"A\"",
        "SSELECT F AVEC 1 = \"A\" AND", "SSELECT F AVEC 1 = \"A\" AND 2 = \"B\"", "SSELECT F PAR",
        "SSELECT F PAR 1 AVEC 1 = \"A\"", "SSELECT F extra"}) {
    EXPECT_EQ(kErrBadQuery, ErrorOf([&] { ParseQuery(sentence); })) << sentence;
  }
}

// AVEC holds when some value of the attribute passes, SANS when none does; a missing attribute is
// one empty value.
TEST(QueryMatchTest, ConditionsTestEveryValueOfTheAttribute) {
  const std::string to18 = "x" + std::string(17, '^');
  for (auto [conditions, id, record, holds] :
       std::initializer_list<std::tuple<const char*, const char*, std::string, bool>>{
           {"AVEC 2 = \"B\"", "1", "x^A]B]C", true},
           {"AVEC 2 = \"B\"", "1", "x^A]BB]C", false},
           {"AVEC 2 = \"A\"", "1", "x^A\\B", false},  // a sub-value belongs to its value
           {"AVEC 2 <> \"B\"", "1", "x^B]C", true},
           {"AVEC 2 <> \"B\"", "1", "x^B]B", false},
           {"SANS 2 = \"B\"", "1", "x^A]B", false},
           {"SANS 2 <> \"B\"", "1", "x^B]B", true},
           {"SANS 2 <> \"B\"", "1", "x^B]C", false},
           {"AVEC 18 = \"\"", "1", "x", true},
           {"AVEC 18 = \"\"", "1", to18 + "1", false},
           {"AVEC 18 <> \"\"", "1", to18, false},
           {"SANS 18 = \"1\"", "1", "", true},
           {"AVEC 01 =\"A B  \"", "1", "A B  ", true},
           {"AVEC 1 = \"PRIME]\"", "1", "PRIM", false},
           {"AVEC 1 <> \"PRIME]\"", "1", "PRIMES", false},
           {"AVEC @ID = \"411]\"", "4110000", "", true},
           {"AVEC 0 = \"411]\"", "4010000", "", false},
           {"SANS 0 = \"030\" AVEC 18 = \"\"", "031", "A", true},
           {"SANS 0 = \"030\" AND AVEC 18 = \"\"", "030", "A", false}}) {
    Query query = ParseQuery(std::string("  SELECT  F ") + conditions + " ");
    EXPECT_EQ(holds, Matches(query, id, Marks(record))) << conditions << " on " << id << record;
  }
}

}  // namespace
}  // namespace talvero::store
