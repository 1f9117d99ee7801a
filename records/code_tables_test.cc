#include "records/code_tables.h"

#include <gtest/gtest.h>

#include "gateways/dba_error.h"

namespace talvero::records {
namespace {

// Every text reads back to its own code and back; stored codes are pinned by a few known texts.
TEST(CodeTablesTest, TablesRoundTripAndCompareTextsExactly) {
  for (const auto* texts :
       {&ChampApplicationTexts(), &TypeBaseTexts(), &TypeTauxTexts(), &TypeMontantTexts()}) {
    for (int code = 0; code < static_cast<int>(texts->size()); ++code)
      EXPECT_EQ(code, CodeOfText(*texts, TextOfCode(*texts, code)));
    EXPECT_EQ("", TextOfCode(*texts, static_cast<int>(texts->size())));
  }
  for (const auto* table : {&TypeAvantageNatureTable(), &TypeFraisProfTable()}) {
    for (const LetterCode& code : *table) {
      EXPECT_EQ(&code - table->data(), code.position);
      EXPECT_EQ(code.letter, LetterOfText(*table, TextOfLetter(*table, code.letter)));
    }
  }
  EXPECT_EQ(1, CodeOfText(ChampApplicationTexts(), "Après net imposable"));
  EXPECT_EQ(4, CodeOfText(TypeTauxTexts(), "Fixe - nombre de points"));
  EXPECT_EQ("V", LetterOfText(TypeAvantageNatureTable(), "Voiture"));
  EXPECT_EQ(std::nullopt, CodeOfText(TypeBaseTexts(), "fixe"));
  EXPECT_EQ(std::nullopt, CodeOfText(TypeMontantTexts(), "Resultat base par taux"));
  EXPECT_TRUE(IsComponentBase("Composante de bases"));
  EXPECT_FALSE(IsComponentBase("composante de bases"));
}

TEST(FrenchNumberTest, ReadsAndWritesTheFrenchConvention) {
  const std::pair<const char*, double> numbers[] = {{"12,5", 12.5},   {"12.5", 12.5}, {"-3", -3},
                                                    {"+4", 4},        {",5", 0.5},    {"5,", 5},
                                                    {" 100,00 ", 100}};
  for (auto [text, value] : numbers) EXPECT_EQ(value, ParseFrenchNumber(text)) << text;
  for (const char* text : {"", "-", ",", "1,2,3", "12a", "1 000", "1e3", "--1", "inf", "0x10"})
    EXPECT_EQ(std::nullopt, ParseFrenchNumber(text)) << text;
  EXPECT_THROW(FrenchNumber("abc"), ComponentError);
  const std::pair<double, const char*> texts[] = {
      {12.5, "12,5"},   {100, "100"},      {-0.0, "0"},
      {-7.15, "-7,15"}, {1e-5, "0,00001"}, {1e20, "100000000000000000000"}};
  for (auto [value, text] : texts) EXPECT_EQ(text, FrenchText(value));
}

TEST(FrenchNumberTest, StoredAndScaledNumbers) {
  EXPECT_EQ(5, StoredInteger(" 5"));
  EXPECT_EQ(5, StoredInteger("5.0"));
  for (const char* text : {"", "x", "5.5", "1e99"})
    EXPECT_THROW(StoredInteger(text), ComponentError);
  EXPECT_EQ("1250", ScaledFromScreen("12,5", 100));
  EXPECT_EQ("29", ScaledFromScreen("0,29", 100));
  EXPECT_EQ("", ScaledFromScreen("", 100));
  EXPECT_THROW(ScaledFromScreen("douze", 100), ComponentError);
  EXPECT_THROW(UnscaledFromStore("", 100), ComponentError);
  for (const char* text : {"7,15", "0,3333", "100", "-12,05"})
    EXPECT_EQ(text, FrenchText(UnscaledFromStore(ScaledFromScreen(text, 10000), 10000)));
}

TEST(UpperCaseTest, AccentedLettersToo) {
  EXPECT_EQ("PRIME D'ANCIENNETÉ", UpperCase("prime d'ancienneté"));
  EXPECT_EQ("ÉÈÀÇÙÂÊÎÔÛËÏÜŸŒÆ", UpperCase("éèàçùâêîôûëïüÿœæ"));
  EXPECT_EQ("ÉTÉ 25% ÷ ß", UpperCase("été 25% ÷ ß"));
  EXPECT_EQ("CAF\xE9", UpperCase("caf\xE9"));  // a lone Latin-1 byte is not UTF-8: left alone
}

}  // namespace
}  // namespace talvero::records
