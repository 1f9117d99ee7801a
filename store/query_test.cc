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

// Marks are counted a word at a time: bytes next to the mark's value (0xFD, 0xFF, 0x7E) and marks
// at every offset of a word must not be miscounted.
TEST(QueryMatchTest, AttributesAreFoundWhereverTheMarksFall) {
  auto slow = [](std::string_view record, int attr) {
    size_t start = 0;
    for (int a = 1; a < attr; ++a) {
      start = record.find(kAttrMark, start);
      if (start == record.npos) return std::string("<none>");
      ++start;
    }
    return std::string(record.substr(start, record.find(kAttrMark, start) - start));
  };
  const char bytes[] = {'A', kAttrMark, kValueMark, '\xFF', '\x7E', '\x7F', '\x01', kAttrMark};
  uint32_t seed = 12345;
  for (int round = 0; round < 3000; ++round) {
    std::string record;
    size_t length = round % 70;
    for (size_t i = 0; i < length; ++i) {
      seed = seed * 1103515245 + 12345;
      record += bytes[(seed >> 16) % sizeof bytes];
    }
    for (int attr = 1; attr < 40; ++attr) {
      std::string expected = slow(record, attr);
      EXPECT_EQ(expected == "<none>" ? "" : expected, AttributeOf(record, attr))
          << Readable(record) << " attribute " << attr;
    }
  }
}

}  // namespace
}  // namespace talvero::store
