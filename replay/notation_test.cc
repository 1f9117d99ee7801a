#include "replay/notation.h"

#include <gtest/gtest.h>

#include "gateways/dyn_array.h"

namespace talvero::replay {
namespace {

TEST(NotationTest, RoundTripThroughTheStoredMarks) {
  // UTF-8 continuation bytes must never be taken for marks.
  const std::string notation = "Réactiver^é]C\\D";
  std::string stored = StoredFromNotation(notation);
  DBADynArray record(stored);
  EXPECT_EQ("é", record.Get(2, 1));
  EXPECT_EQ(std::string("C") + kSubMark + "D", record.Get(2, 2));
  EXPECT_EQ(notation, NotationFromStored(stored));
}

TEST(NotationTest, SameRecordTextIgnoresOnlyTrailingEmptiness) {
  for (const auto& [a, b, same] : std::initializer_list<std::tuple<const char*, const char*, bool>>{
           {"A^B", "A]]^B]^]^", true},
           {"", "^^]^", true},
           // Empty places before a filled one carry meaning.
           {"^^C^]D", "^^C^]D]", true},
           {"A^B", "A^^B", false},
           {"A^B", "A^B^0", false},
           {"A]B", "A^B", false},
       })
    EXPECT_EQ(same, SameRecordText(a, b)) << a << " vs " << b;
}

}  // namespace
}  // namespace talvero::replay
