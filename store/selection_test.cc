#include "store/selection.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "gateways/dba_error.h"
#include "store/test_notation.h"

namespace talvero::store {
namespace {

const std::vector<std::string> kFiles = {"RUBSAISIE", "PLANCOMPTABLE", "ASSOCIATION"};

class SelectionTest : public ::testing::Test {
 protected:
  void Put(const std::string& file, const std::string& id, const std::string& readable) {
    table_.Put(file, id, Marks(readable));
  }

  // The result in the readable notation, followed by the count: "014]PRIME^022]PRIME (2)".
  std::string Run(const std::string& sentence, const std::string& wanted,
                  const std::string& file = "") {
    DBADynArray request;
    request.Set(1, sentence);
    request.Set(2, file.empty() ? ParseQuery(sentence).file : file);
    request.Set(3, wanted);
    Selection selection = Select(table_, request.Get());
    return Readable(selection.text) + " (" + std::to_string(selection.count) + ")";
  }

  int32_t ErrorOf(const std::string& sentence, const std::string& wanted, const std::string& file) {
    DBADynArray request;
    request.Set(1, sentence);
    request.Set(2, file);
    request.Set(3, wanted);
    try {
      Select(table_, request.Get());
    } catch (const ComponentError& e) {
      return e.Number();
    }
    return 0;
  }

  void PutEntryItems() {
    Put("RUBSAISIE", "022", "PRIME DE PANIER^0");
    Put("RUBSAISIE", "003", "SALAIRE DE BASE^0");
    Put("RUBSAISIE", "014", "PRIME D'ANCIENNETE^0");
  }

  RecordTable table_{":memory:", kFiles};
};

TEST_F(SelectionTest, PrefixOnAttribute1SortedByIt) {
  PutEntryItems();
  EXPECT_EQ("014]PRIME D'ANCIENNETE^022]PRIME DE PANIER (2)",
            Run("SSELECT RUBSAISIE AVEC 1 = \"PRIME]\" PAR 1", "0 1"));
  EXPECT_EQ(" (0)", Run("SSELECT RUBSAISIE AVEC 1 = \"prime]\" PAR 1", "0 1"));
}

TEST_F(SelectionTest, WithoutParTheOrderIsTheIds) {
  PutEntryItems();
  EXPECT_EQ("003^014^022 (3)", Run("SSELECT RUBSAISIE", "0"));
  EXPECT_EQ("003^014^022 (3)", Run("SELECT RUBSAISIE", "0"));
}

TEST_F(SelectionTest, ParSortsByBytesOfTheWholeAttributeThenById) {
  Put("RUBSAISIE", "005", "b");
  Put("RUBSAISIE", "004", "B");
  Put("RUBSAISIE", "003", "\xC3\x89TAT");  // É sorts after every ASCII letter
  Put("RUBSAISIE", "002", "B");
  Put("RUBSAISIE", "001", "Z");
  Put("RUBSAISIE", "006", "B]A");
  Put("RUBSAISIE", "007", "");
  EXPECT_EQ("007^002^004^006^001^005^003 (7)", Run("SSELECT RUBSAISIE PAR 1", "0"));
  EXPECT_EQ("007^002^004^006^001^005^003 (7)", Run("SELECT RUBSAISIE PAR 1", "0"));
  EXPECT_EQ("001^002^003^004^005^006^007 (7)", Run("SSELECT RUBSAISIE PAR 0", "0"));
}

TEST_F(SelectionTest, WantedAttributesBecomeTheValuesOfEachRow) {
  Put("RUBSAISIE", "030", "COMPOSEE^1^^^^^^^^^^^^001]003]014^^^^1");
  EXPECT_EQ("030]COMPOSEE]1 (1)", Run("SSELECT RUBSAISIE", "0 1 18"));
  EXPECT_EQ("001\\003\\014]030]]COMPOSEE (1)", Run("SSELECT RUBSAISIE", "14 @ID 99 1"));
  EXPECT_EQ("030 (1)", Run("SSELECT RUBSAISIE", ""));
  EXPECT_EQ("030]COMPOSEE (1)", Run("SSELECT RUBSAISIE", "0  1 "));
}

TEST_F(SelectionTest, TheSentencesOfTheScreens) {
  PutEntryItems();
  Put("RUBSAISIE", "030", "SUPPRIMEE^0^^^^^^^^^^^^^^^^1");
  Put("RUBSAISIE", "031", "AUTRE");
  EXPECT_EQ("003]SALAIRE DE BASE^014]PRIME D'ANCIENNETE^022]PRIME DE PANIER^031]AUTRE (4)",
            Run("SSELECT RUBSAISIE SANS 0 = \"030\" AND AVEC 18 = \"\"", "0 1"));
  EXPECT_EQ("031]AUTRE (1)",
            Run("SSELECT RUBSAISIE SANS 0 = \"022\" AND AVEC 1 = \"AUTRE\"", "0 1"));

  Put("PLANCOMPTABLE", "4110000", "CLIENTS");
  Put("PLANCOMPTABLE", "4111000", "AGENCES");
  Put("PLANCOMPTABLE", "4010000", "FOURNISSEURS");
  EXPECT_EQ("4111000]AGENCES^4110000]CLIENTS (2)",
            Run("SSELECT PLANCOMPTABLE AVEC @ID = \"411]\" PAR 1", "0 1"));
  EXPECT_EQ("4010000]FOURNISSEURS (1)",
            Run("SSELECT PLANCOMPTABLE AVEC 1 = \"FOURNISSEURS]\" PAR 1", "0 1"));

  std::string attrs37(37, '^');
  Put("ASSOCIATION", "A1", "X" + attrs37 + "TLG2");
  Put("ASSOCIATION", "A2", "X" + attrs37);
  Put("ASSOCIATION", "A3", "X");
  Put("ASSOCIATION", "A4", "X" + attrs37 + "]TLG1");
  Put("ASSOCIATION", "A5", "X" + attrs37 + "TLG1");
  EXPECT_EQ("A5^A1^A4 (3)", Run("SELECT ASSOCIATION AVEC 38 <> \"\" PAR 38", "0"));
}

TEST_F(SelectionTest, MultivaluedAttribute1IsFoundByAnyOfItsValues) {
  Put("RUBSAISIE", "001", "AUTRE]PRIME X");
  Put("RUBSAISIE", "002", "PRIME Y");
  Put("RUBSAISIE", "003", "AUTRE]RIEN");
  Put("RUBSAISIE", "004", "");
  EXPECT_EQ("001^002 (2)", Run("SSELECT RUBSAISIE AVEC 1 = \"PRIME]\"", "0"));
  EXPECT_EQ("003 (1)", Run("SSELECT RUBSAISIE AVEC 1 = \"RIEN\"", "0"));
  EXPECT_EQ("004 (1)", Run("SSELECT RUBSAISIE AVEC 1 = \"\"", "0"));
}

TEST_F(SelectionTest, BadRequestsGiveAnErrorAndNoResult) {
  PutEntryItems();
  EXPECT_EQ(kErrBadQuery, ErrorOf("SSELECT RUBSAISIE PAR 1", "0 1", "PLANCOMPTABLE"));
  EXPECT_EQ(kErrBadQuery, ErrorOf("SSELECT RUBSAISIE AVEC 1 = \"PRIME]", "0 1", "RUBSAISIE"));
  EXPECT_EQ(kErrBadQuery, ErrorOf("SSELECT RUBSAISIE PAR 1", "0 UN", "RUBSAISIE"));
  EXPECT_EQ(kErrNoSuchFile, ErrorOf("SSELECT COMPTEUR", "0", "COMPTEUR"));
  EXPECT_EQ(kErrNoSuchFile, ErrorOf("SSELECT COMPTEUR", "0", ""));
  EXPECT_EQ(0, ErrorOf("SSELECT RUBSAISIE", "0", ""));
}

// The index test: a file of many records, answered by reading only the records of the range.
TEST_F(SelectionTest, PrefixAndEqualityConditionsReadOnlyTheirRange) {
  constexpr int kRecords = 100000;
  char id[16];
  for (int i = 0; i < kRecords; ++i) {
    std::snprintf(id, sizeof id, "%06d", i);
    std::string label = i % 1000 == 7 ? "PRIME " + std::string(id) : "LIBELLE " + std::string(id);
    table_.Put("PLANCOMPTABLE", id, label + (i == 50000 ? Marks("]PRIME MULTIPLE") : ""));
  }
  auto rows_read = [&](const std::string& sentence, const std::string& expected_count) {
    int64_t before = table_.RowsScanned();
    std::string result = Run(sentence, "0");
    EXPECT_EQ(expected_count, result.substr(result.rfind(" (")));
    return table_.RowsScanned() - before;
  };
  // 100 labels start with PRIME; the multivalued one is always read.
  EXPECT_EQ(101, rows_read("SSELECT PLANCOMPTABLE AVEC 1 = \"PRIME]\" PAR 1", " (101)"));
  EXPECT_EQ(2, rows_read("SSELECT PLANCOMPTABLE AVEC 1 = \"LIBELLE 000123\"", " (1)"));
  EXPECT_EQ(100, rows_read("SSELECT PLANCOMPTABLE AVEC @ID = \"0421]\" PAR 1", " (100)"));
  EXPECT_EQ(1, rows_read("SSELECT PLANCOMPTABLE AVEC 0 = \"099999\" AND SANS 1 = \"X\"", " (1)"));
  EXPECT_EQ(kRecords, rows_read("SSELECT PLANCOMPTABLE SANS 0 = \"000001\"", " (99999)"));
}

}  // namespace
}  // namespace talvero::store
