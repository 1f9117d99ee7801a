#include "store/query.h"

#include <gtest/gtest.h>

#include "gateways/dba_error.h"
#include "store/test_notation.h"

namespace talvero::store {
namespace {

// The parsed sentence written back, a prefix shown with a final "*".
std::string Describe(const std::string& sentence) {
  Query query = ParseQuery(sentence);
  std::string text = (query.sorted ? "SSELECT " : "SELECT ") + query.file;
  for (const Condition& c : query.conditions) {
    text += std::string(c.with ? " [AVEC " : " [SANS ") + std::to_string(c.attr) +
            (c.equal ? " = " : " <> ") + "'" + c.value + (c.prefix ? "*" : "") + "']";
  }
  if (query.sort_attr) text += " PAR " + std::to_string(*query.sort_attr);
  return text;
}

// The error number and whether the text names the fault, or "accepted".
std::string Refusal(const std::string& sentence) {
  try {
    ParseQuery(sentence);
    return "accepted";
  } catch (const ComponentError& e) {
    return std::to_string(e.Number() == kErrBadQuery) + ":" + e.what();
  }
}

bool Holds(const std::string& sentence, const std::string& id, const std::string& record) {
  return Matches(ParseQuery(sentence), id, Marks(record));
}

TEST(QueryGrammarTest, ReadsTheSentencesTheScreensSend) {
  EXPECT_EQ("SSELECT RUBSAISIE PAR 1", Describe("SSELECT RUBSAISIE PAR 1"));
  EXPECT_EQ("SSELECT RUBSAISIE [AVEC 1 = 'PRIME*'] PAR 1",
            Describe("SSELECT RUBSAISIE AVEC 1 = \"PRIME]\" PAR 1"));
  EXPECT_EQ("SELECT ASSOCIATION [AVEC 38 <> ''] PAR 38",
            Describe("SELECT ASSOCIATION AVEC 38 <> \"\" PAR 38"));
  EXPECT_EQ("SSELECT PLANCOMPTABLE [AVEC 0 = '411*'] PAR 1",
            Describe("SSELECT PLANCOMPTABLE AVEC @ID = \"411]\" PAR 1"));
  EXPECT_EQ("SSELECT RUBSAISIE [SANS 0 = '030'] [AVEC 18 = '']",
            Describe("SSELECT RUBSAISIE SANS 0 = \"030\" AND AVEC 18 = \"\""));
}

TEST(QueryGrammarTest, QuotedValuesKeepBlanksAndOnlyAFinalBracketIsAPrefix) {
  EXPECT_EQ("SSELECT F [AVEC 1 = 'A ]B  ']", Describe("SSELECT F AVEC 1 = \"A ]B  \""));
  EXPECT_EQ("SSELECT F [AVEC 1 = 'A]*']", Describe("SSELECT F AVEC 1 = \"A]]\""));
  EXPECT_EQ("SSELECT F [AVEC 2 = '*'] [SANS 3 <> 'x']",
            Describe("  SSELECT   F AVEC 02 =\"]\" SANS 3 <>\"x\"  "));
}

TEST(QueryGrammarTest, RefusesMalformedSentences) {
  const char* bad[] = {
      "",
      "SSELECT",
      "LIST RUBSAISIE",
      "sselect RUBSAISIE",
      "SSELECT AVEC 1 = \"A\"",
      "SSELECT \"RUBSAISIE\"",
      "SSELECT RUBSAISIE AVEC 1 = \"PRIME]",
      "SSELECT RUBSAISIE AVEC 1 = PRIME",
      "SSELECT RUBSAISIE AVEC 1 \"A\"",
      "SSELECT RUBSAISIE AVEC 1 == \"A\"",
      "SSELECT RUBSAISIE AVEC X = \"A\"",
      "SSELECT RUBSAISIE AVEC -1 = \"A\"",
      "SSELECT RUBSAISIE AVEC @id = \"A\"",
      "SSELECT RUBSAISIE AVEC 1 = \"A\" AND",
      "SSELECT RUBSAISIE AVEC 1 = \"A\" AND 2 = \"B\"",
      "SSELECT RUBSAISIE AVEC 1 = \"A\" OR AVEC 2 = \"B\"",
      "SSELECT RUBSAISIE PAR",
      "SSELECT RUBSAISIE PAR 1 2",
      "SSELECT RUBSAISIE PAR 1 AVEC 1 = \"A\"",
      "SSELECT RUBSAISIE PAR 1 \"x\"",
      "SSELECT RUBSAISIE extra",
  };
  for (const char* sentence : bad) {
    std::string refusal = Refusal(sentence);
    EXPECT_EQ("1:", refusal.substr(0, 2)) << sentence << " -> " << refusal;
    EXPECT_NE(std::string::npos, refusal.find(sentence)) << refusal;
  }
  EXPECT_NE(std::string::npos, Refusal("SSELECT F AVEC 1 = \"A").find("guillemet"));
}

TEST(QueryMatchTest, AvecEqualHoldsWhenAnyValueEquals) {
  EXPECT_TRUE(Holds("SELECT F AVEC 2 = \"B\"", "1", "x^A]B]C"));
  EXPECT_FALSE(Holds("SELECT F AVEC 2 = \"B\"", "1", "x^A]BB]C"));
  EXPECT_FALSE(Holds("SELECT F AVEC 2 = \"b\"", "1", "x^B"));
  // A sub-value mark belongs to its value: the whole value is compared.
  EXPECT_FALSE(Holds("SELECT F AVEC 2 = \"A\"", "1", "x^A\\B"));
  EXPECT_TRUE(Holds("SELECT F AVEC 2 = \"A]\"", "1", "x^A\\B"));
}

TEST(QueryMatchTest, AvecDifferentHoldsWhenAnyValueDiffers) {
  EXPECT_TRUE(Holds("SELECT F AVEC 2 <> \"B\"", "1", "x^B]C"));
  EXPECT_FALSE(Holds("SELECT F AVEC 2 <> \"B\"", "1", "x^B]B"));
  EXPECT_TRUE(Holds("SELECT F AVEC 38 <> \"\"", "1", "x" + std::string(37, '^') + "]TLG"));
  EXPECT_FALSE(Holds("SELECT F AVEC 38 <> \"\"", "1", "x" + std::string(37, '^') + "]"));
  EXPECT_FALSE(Holds("SELECT F AVEC 38 <> \"\"", "1", "x"));
}

TEST(QueryMatchTest, SansHoldsWhenNoValuePasses) {
  EXPECT_FALSE(Holds("SELECT F SANS 2 = \"B\"", "1", "x^A]B"));
  EXPECT_TRUE(Holds("SELECT F SANS 2 = \"B\"", "1", "x^A]C"));
  EXPECT_TRUE(Holds("SELECT F SANS 2 <> \"B\"", "1", "x^B]B"));
  EXPECT_FALSE(Holds("SELECT F SANS 2 <> \"B\"", "1", "x^B]C"));
}

TEST(QueryMatchTest, MissingAttributeIsOneEmptyValue) {
  EXPECT_TRUE(Holds("SELECT F AVEC 18 = \"\"", "1", "x"));
  EXPECT_TRUE(Holds("SELECT F AVEC 18 = \"\"", "1", "x^^^^^^^^^^^^^^^^^"));
  EXPECT_FALSE(Holds("SELECT F AVEC 18 = \"\"", "1", "x^^^^^^^^^^^^^^^^^1"));
  EXPECT_TRUE(Holds("SELECT F SANS 18 = \"1\"", "1", ""));
  EXPECT_TRUE(Holds("SELECT F AVEC 3 = \"]\"", "1", "x"));
}

TEST(QueryMatchTest, PrefixesAndTheId) {
  EXPECT_TRUE(Holds("SELECT F AVEC 1 = \"PRIME]\"", "014", "PRIME D'ANCIENNETE"));
  EXPECT_TRUE(Holds("SELECT F AVEC 1 = \"PRIME]\"", "014", "PRIME"));
  EXPECT_FALSE(Holds("SELECT F AVEC 1 = \"PRIME]\"", "014", "PRIM"));
  EXPECT_FALSE(Holds("SELECT F AVEC 1 <> \"PRIME]\"", "014", "PRIMES"));
  EXPECT_TRUE(Holds("SELECT F AVEC @ID = \"411]\"", "4110000", "CLIENTS"));
  EXPECT_FALSE(Holds("SELECT F AVEC 0 = \"411]\"", "4010000", "CLIENTS"));
  EXPECT_FALSE(Holds("SELECT F SANS 0 = \"030\"", "030", ""));
  EXPECT_TRUE(Holds("SELECT F SANS 0 = \"030\" AND AVEC 18 = \"\"", "031", "A"));
  EXPECT_FALSE(Holds("SELECT F SANS 0 = \"030\" AND AVEC 18 = \"\"", "031", "A^^^^^^^^^^^^^^^^^1"));
}

std::string AccessOf(const std::string& sentence) {
  Access access = ChooseAccess(ParseQuery(sentence));
  const char* kinds[] = {"all", "id", "attr1"};
  return std::string(kinds[access.kind]) + (access.kind == Access::kAllRecords ? "" : " ") +
         (access.kind == Access::kAllRecords ? "" : access.key + (access.prefix ? "*" : ""));
}

TEST(QueryAccessTest, UsesAnIndexOnlyForPositiveConditionsOnTheIdOrAttributeOne) {
  EXPECT_EQ("all", AccessOf("SSELECT F PAR 1"));
  EXPECT_EQ("attr1 PRIME*", AccessOf("SSELECT F AVEC 1 = \"PRIME]\" PAR 1"));
  EXPECT_EQ("id 411*", AccessOf("SSELECT F AVEC @ID = \"411]\" PAR 1"));
  EXPECT_EQ("all", AccessOf("SSELECT F SANS 0 = \"030\" AND AVEC 18 = \"\""));
  EXPECT_EQ("all", AccessOf("SSELECT F AVEC 1 <> \"A\" AND AVEC 2 = \"B\""));
  EXPECT_EQ("all", AccessOf("SSELECT F AVEC 1 = \"]\""));
  EXPECT_EQ("attr1 ", AccessOf("SSELECT F AVEC 1 = \"\""));
  EXPECT_EQ("id 007",
            AccessOf("SSELECT F AVEC 1 = \"A]\" AND AVEC 0 = \"00]\" AND AVEC 0 = \"007\""));
  EXPECT_EQ("attr1 A", AccessOf("SSELECT F AVEC 1 = \"A]\" AND AVEC 1 = \"A\""));
}

}  // namespace
}  // namespace talvero::store
