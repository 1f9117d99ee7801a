#include <gtest/gtest.h>

#include "store/sqlite_store.h"
#include "store/test_notation.h"
#include "tools/talvero_db/db_commands.h"

namespace talvero::dbtool {
namespace {

// A readable item: codes of their lists, check boxes 0, no numbers.
const char* kGoodItem = "PRIME^0^^0^+^1^^0^^0^^^^^^^^^^^^^0";

std::string Problems(const std::vector<std::pair<std::string, std::string>>& items,
                     const std::optional<std::string>& counter) {
  auto db = store::SqliteDatabase::Open(":memory:");
  for (auto& [id, text] : items) db->PutRecord("RUBSAISIE", id, Marks(text));
  if (counter) db->PutRecord("COMPTEUR", "999", Marks(*counter));
  std::string found;
  for (const std::string& problem : Check(*db)) found += problem + "\n";
  return found;
}

TEST(CheckTest, FindsTheCounterBehindTheCodesGiven) {
  EXPECT_EQ("", Problems({{"041", kGoodItem}, {"850", kGoodItem}}, "^^041"));
  EXPECT_EQ("", Problems({}, "^^000"));
  EXPECT_EQ(
      "COMPTEUR 999 : le compteur (040) est en dessous du plus grand code attribué (041) : la "
      "prochaine création prendrait le code d'une rubrique existante.\n",
      Problems({{"041", kGoodItem}}, "^^040"));
  EXPECT_EQ("COMPTEUR 999 : l'attribut 3 (\"4l\") n'est pas un code.\n", Problems({}, "^^4l"));
  EXPECT_EQ("COMPTEUR 999 : l'enregistrement du compteur manque.\n", Problems({}, std::nullopt));
}

TEST(CheckTest, FindsTheItemsTheScreenCouldNotOpen) {
  const std::pair<std::string, const char*> rows[] = {
      {"PRIME^9^^0^+^1^^0^^0^^^^^^^^^^^^^0", "l'attribut 2 (\"9\") n'est pas un code de sa liste"},
      {"PRIME^0^^2^+^1^^0^^0^^^^^^^^^^^^^0", "l'attribut 4 (\"2\") n'est pas 0 ou 1"},
      {"PRIME^0^^0^+^1^12A^0^^0^^^^^^^^^^^^^0", "l'attribut 7 (\"12A\") n'est pas un nombre"},
      {"PRIME^0^^0^+^1^^0^^0^^^^^^^^^^^^^", "l'attribut 23 (\"\") n'est pas 0 ou 1"},
  };
  for (auto& [text, fault] : rows) {
    EXPECT_EQ("RUBSAISIE 001 : l'écran ne peut pas l'ouvrir : " + std::string(fault) + ".\n",
              Problems({{"001", text}}, "^^001"))
        << text;
  }
  EXPECT_EQ("RUBSAISIE 12 : le code n'a pas trois chiffres.\n",
            Problems({{"12", kGoodItem}}, "^^001"));
}

}  // namespace
}  // namespace talvero::dbtool
