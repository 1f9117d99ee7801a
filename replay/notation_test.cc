#include "replay/notation.h"

#include <gtest/gtest.h>

#include "gateways/dyn_array.h"

namespace talvero::replay {
namespace {

TEST(NotationTest, MarksStandForTheStoredMarks) {
  std::string stored = StoredFromNotation("A^B]C\\D");
  DBADynArray record(stored);
  EXPECT_EQ("A", record.Get(1));
  EXPECT_EQ("B", record.Get(2, 1));
  EXPECT_EQ(std::string("C") + kSubMark + "D", record.Get(2, 2));
  EXPECT_EQ("A^B]C\\D", NotationFromStored(stored));
}

TEST(NotationTest, AccentedTextIsLeftAlone) {
  // UTF-8 continuation bytes must never be mistaken for marks.
  EXPECT_EQ("Réactiver^é]à", NotationFromStored(StoredFromNotation("Réactiver^é]à")));
}

TEST(NotationTest, TrailingEmptyAttributesAndValuesAreDropped) {
  EXPECT_EQ("A^B", TrimmedNotation("A^B^^"));
  EXPECT_EQ("A^B", TrimmedNotation("A]]^B]^]^"));
  EXPECT_EQ("", TrimmedNotation("^^]^"));
  // Empty places before a filled one carry meaning and stay.
  EXPECT_EQ("^^C^]D", TrimmedNotation("^^C^]D]"));
}

TEST(NotationTest, SameRecordTextIgnoresOnlyTrailingEmptiness) {
  EXPECT_TRUE(SameRecordText("A^B", "A^B^^"));
  EXPECT_TRUE(SameRecordText("^^^^^^^^^^^^^I^003]007", "^^^^^^^^^^^^^I^003]007^^^"));
  EXPECT_TRUE(SameRecordText("", "^^"));
  EXPECT_FALSE(SameRecordText("A^B", "A^^B"));
  EXPECT_FALSE(SameRecordText("A^B", "A^B^0"));
  EXPECT_FALSE(SameRecordText("A]B", "A^B"));
  EXPECT_FALSE(SameRecordText("a", "A"));
}

TEST(NotationTest, QuotedEscapesQuotesAndBackslashes) {
  EXPECT_EQ(R"("PRIME \"X\" A\\B")", Quoted(R"(PRIME "X" A\B)"));
  EXPECT_EQ(R"("")", Quoted(""));
}

}  // namespace
}  // namespace talvero::replay
