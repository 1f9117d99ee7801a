#include "host/catalogue.h"

#include <gtest/gtest.h>

#include "gateways/dyn_array.h"
#include "replay/notation.h"

namespace talvero::host {
namespace {

TEST(ReadCatalogue, ReadsWholeTextsAndAttributeFormsAndSkipsComments) {
  std::vector<CatalogueRecord> records = ReadCatalogue(
      "# settings\n"
      "\n"
      "COMPTEUR 999 3=\"061\" 15=\"001\"\n"
      "   # an indented comment\n"
      "RUBSAISIE 015 \"PRIME^6^^1^+^2^300^^^^^^^I^001]002\"\n"
      "PLANCOMPTABLE 0016411000000 \"SALAIRES, \\\"APPOINTEMENTS\\\"\"\n");
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].file, "COMPTEUR");
  EXPECT_EQ(records[0].id, "999");
  EXPECT_EQ(records[0].line, 3);
  DBADynArray counter(records[0].stored_text);
  EXPECT_EQ(counter.Get(3), "061");
  EXPECT_EQ(counter.Get(15), "001");
  EXPECT_EQ(counter.Get(1), "");
  DBADynArray item(records[1].stored_text);
  EXPECT_EQ(item.Get(15, 2), "002");
  EXPECT_EQ(replay::NotationFromStored(records[2].stored_text), "SALAIRES, \"APPOINTEMENTS\"");
}

TEST(ReadCatalogue, ALineThatIsNoRecordIsRefusedWithItsNumber) {
  struct Case {
    std::string content;
    std::string message;
  } cases[] = {
      {"RUBSAISIE 001\n", "line 1: "},
      {"# ok\nRUBSAISIE 001 \"SALAIRE\n", "line 2: "},
      {"RUBSAISIE\n", "line 1: "},
      {"\n\nRUBSAISIE 001 x=\"A\"\n", "line 3: "},
  };
  for (const Case& c : cases) {
    try {
      ReadCatalogue(c.content);
      ADD_FAILURE() << "accepted: " << c.content;
    } catch (const CatalogueError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
}

TEST(LoadCatalogue, StoresEveryRecordAndCreatesFilesTheStoreLacks) {
  auto database = store::SqliteDatabase::Open(":memory:");
  LoadCatalogue(*database, ReadCatalogue("RUBSAISIE 001 \"A\"\n"
                                         "RUBSAISIE 001 \"B\"\n"
                                         "SOCIETE 01 \"ORVANEL DEMO\"\n"));
  EXPECT_EQ(database->GetRecord("RUBSAISIE", "001"), "B");
  EXPECT_EQ(database->GetRecord("SOCIETE", "01"), "ORVANEL DEMO");
}

}  // namespace
}  // namespace talvero::host
