#include "store/selection.h"

#include <gtest/gtest.h>

#include "store/test_notation.h"

namespace talvero::store {
namespace {

class SelectionTest : public ::testing::Test {
 protected:
  // The result in the readable notation, followed by the count: "014]PRIME^022]PRIME (2)".
  std::string Run(const std::string& sentence, const std::string& wanted,
                  const std::string& file = "") {
    Selection selection = Select(table_, sentence + kAttrMark + file + kAttrMark + wanted);
    return Readable(selection.text) + " (" + std::to_string(selection.count) + ")";
  }

  RecordTable table_{":memory:", {"RUBSAISIE", "PLANCOMPTABLE"}};
};

// Byte order, ties, prefixes and errors are the store contract; here, the orders without PAR and
// the wanted attributes.
TEST_F(SelectionTest, OrderAndWantedAttributes) {
  // Records 001 to 007, written last to first so that no order comes from the writing.
  const char* texts[] = {"BZ", "B", "\xC3\x89TAT", "B^^^^^^^^^^^^^001]003]014", "b", "B]A", ""};
  for (int i = 6; i >= 0; --i)
    table_.Put("RUBSAISIE", "00" + std::to_string(i + 1), Marks(texts[i]));
  const char* rows[][3] = {
      {"SSELECT RUBSAISIE", "0", "001^002^003^004^005^006^007 (7)"},
      {"SELECT RUBSAISIE PAR 0", "", "001^002^003^004^005^006^007 (7)"},
      {"SSELECT RUBSAISIE AVEC 0 = \"004\"", "14 @ID 99 1", "001\\003\\014]004]]B (1)"},
  };
  for (auto& [sentence, wanted, expected] : rows)
    EXPECT_EQ(expected, Run(sentence, wanted)) << sentence;
  EXPECT_EQ(kErrBadQuery, ErrorOf([&] { Run("SSELECT RUBSAISIE", "0 UN", "RUBSAISIE"); }));
}

// A large file answered by reading only the records of the range, which SQLite seeks through an
// index rather than by filtering the whole file.
TEST_F(SelectionTest, PrefixAndEqualityConditionsReadOnlyTheirRange) {
  constexpr int kRecords = 20000;
  for (int i = 0; i < kRecords; ++i) {
    std::string id = std::to_string(1000000 + i).substr(1);
    std::string label = (i % 1000 == 7 ? "PRIME " : "LIBELLE ") + id;
    table_.Put("PLANCOMPTABLE", id, label + (i == 10000 ? Marks("]PRIME MULTIPLE") : ""));
  }
  auto rows_read = [&](const std::string& sentence, const std::string& count) {
    int64_t before = table_.RowsScanned();
    std::string result = Run(sentence, "0");
    EXPECT_EQ(count, result.substr(result.rfind(" (")));
    // The statement the selection runs: in the order the sentence asks.
    Query query = ParseQuery(sentence);
    RecordTable::Shape shape{ChooseAccess(query),
                             query.sort_attr == 1 ? ScanShape::kByAttr1 : ScanShape::kById,
                             true,
                             {}};
    std::string plan;
    for (const std::string& step : table_.ExplainScan(shape)) plan += step + "; ";
    const char* seek[] = {"(file=?)", "AND id", "AND attr1"};
    EXPECT_NE(std::string::npos, plan.find(seek[shape.access.kind])) << sentence;
    return table_.RowsScanned() - before;
  };
  // 20 labels start with PRIME; the multivalued one is always read.
  EXPECT_EQ(21, rows_read("SSELECT PLANCOMPTABLE AVEC 1 = \"PRIME]\" PAR 1", " (21)"));
  EXPECT_EQ(2, rows_read("SSELECT PLANCOMPTABLE AVEC 1 = \"LIBELLE 000123\"", " (1)"));
  EXPECT_EQ(100, rows_read("SSELECT PLANCOMPTABLE AVEC @ID = \"0123]\" PAR 1", " (100)"));
  EXPECT_EQ(1, rows_read("SSELECT PLANCOMPTABLE AVEC 0 = \"019999\" SANS 1 = \"X\"", " (1)"));
  // Negative conditions can hold for any record: no range.
  EXPECT_EQ(kRecords, rows_read("SSELECT PLANCOMPTABLE SANS 0 = \"000001\"", " (19999)"));
  EXPECT_EQ(kRecords, rows_read("SSELECT PLANCOMPTABLE AVEC 1 <> \"X\"", " (20000)"));
}

}  // namespace
}  // namespace talvero::store
