#include "records/code_tables.h"

#include <gtest/gtest.h>

#include "gateways/dba_error.h"

namespace talvero::records {
namespace {

// The integer-coded tables, each text read back to its own position and back to itself.
TEST(CodeTablesTest, IntegerTablesRoundTrip) {
  for (const auto* texts :
       {&ChampApplicationTexts(), &TypeBaseTexts(), &TypeTauxTexts(), &TypeMontantTexts()}) {
    for (int code = 0; code < static_cast<int>(texts->size()); ++code) {
      EXPECT_EQ(code, CodeOfText(*texts, TextOfCode(*texts, code)));
    }
    EXPECT_EQ("", TextOfCode(*texts, -1));
    EXPECT_EQ("", TextOfCode(*texts, static_cast<int>(texts->size())));
  }
  EXPECT_EQ(7u, ChampApplicationTexts().size());
  EXPECT_EQ(1, CodeOfText(ChampApplicationTexts(), "Après net imposable"));
  EXPECT_EQ(4, CodeOfText(TypeTauxTexts(), "Fixe - nombre de points"));
  EXPECT_EQ("Résultat base par taux", TextOfCode(TypeMontantTexts(), 2));
}

TEST(CodeTablesTest, TextsCompareExactly) {
  EXPECT_EQ(std::nullopt, CodeOfText(TypeBaseTexts(), "fixe"));
  EXPECT_EQ(std::nullopt, CodeOfText(TypeMontantTexts(), "Resultat base par taux"));
  EXPECT_EQ(std::nullopt, CodeOfText(TypeBaseTexts(), ""));
  EXPECT_EQ(std::nullopt, LetterOfText(TypeFraisProfTable(), "Autres depenses"));
}

TEST(CodeTablesTest, LetterTablesRoundTrip) {
  for (const auto* table : {&TypeAvantageNatureTable(), &TypeFraisProfTable()}) {
    for (size_t i = 0; i < table->size(); ++i) {
      const LetterCode& code = (*table)[i];
      EXPECT_EQ(static_cast<int>(i), code.position);
      EXPECT_EQ(code.letter, LetterOfText(*table, TextOfLetter(*table, code.letter)));
    }
    EXPECT_EQ("", TextOfLetter(*table, ""));
    EXPECT_EQ("", TextOfLetter(*table, "Z"));
  }
  EXPECT_EQ("V", LetterOfText(TypeAvantageNatureTable(), "Voiture"));
  EXPECT_EQ("Autres dépenses", TextOfLetter(TypeFraisProfTable(), "D"));
}

TEST(CodeTablesTest, ComponentBaseIsTheTextPrefix) {
  EXPECT_TRUE(IsComponentBase("Composante de bases"));
  EXPECT_TRUE(IsComponentBase("Composante"));
  EXPECT_FALSE(IsComponentBase("Composant"));
  EXPECT_FALSE(IsComponentBase("composante de bases"));
  EXPECT_FALSE(IsComponentBase(""));
}

TEST(FrenchNumberTest, ParsesBothSeparatorsSignsAndBlanks) {
  EXPECT_EQ(12.5, ParseFrenchNumber("12,5"));
  EXPECT_EQ(12.5, ParseFrenchNumber("12.5"));
  EXPECT_EQ(-3, ParseFrenchNumber("-3"));
  EXPECT_EQ(4, ParseFrenchNumber("+4"));
  EXPECT_EQ(0.5, ParseFrenchNumber(",5"));
  EXPECT_EQ(5, ParseFrenchNumber("5,"));
  EXPECT_EQ(100, ParseFrenchNumber("  100,00 "));
  EXPECT_EQ(0, ParseFrenchNumber("-0"));
}

TEST(FrenchNumberTest, RefusesWhatIsNotANumber) {
  for (const char* text :
       {"", "  ", "-", ",", "1,2,3", "1.2,3", "12a", "1 000", "1e3", "--1", "inf", "nan", "0x10"}) {
    EXPECT_EQ(std::nullopt, ParseFrenchNumber(text)) << text;
  }
  try {
    FrenchNumber("abc");
    FAIL() << "no error";
  } catch (const ComponentError& error) {
    EXPECT_EQ(kErrConversion, error.Number());
    EXPECT_NE(std::string(error.what()).find("abc"), std::string::npos);
  }
  EXPECT_EQ(1.25, FrenchNumber("1,25"));
}

TEST(FrenchNumberTest, StoredIntegers) {
  EXPECT_EQ(5, StoredInteger("5"));
  EXPECT_EQ(5, StoredInteger(" 5"));
  EXPECT_EQ(5, StoredInteger("5.0"));
  EXPECT_EQ(-1, StoredInteger("-1"));
  for (const char* text : {"", "x", "5.5", "1e99"}) {
    EXPECT_THROW(StoredInteger(text), ComponentError) << text;
  }
}

TEST(FrenchNumberTest, FrenchTextIsShortestWithComma) {
  EXPECT_EQ("12,5", FrenchText(12.5));
  EXPECT_EQ("1", FrenchText(1));
  EXPECT_EQ("0,3333", FrenchText(0.3333));
  EXPECT_EQ("100", FrenchText(100));
  EXPECT_EQ("0", FrenchText(-0.0));
  EXPECT_EQ("-7,15", FrenchText(-7.15));
  EXPECT_EQ("0,3333", FrenchText(3333 / 10000.0));
  EXPECT_EQ("0,00001", FrenchText(0.00001));
  EXPECT_EQ("100000000000000000000", FrenchText(1e20));
}

TEST(FrenchNumberTest, ScaledRoundTrip) {
  EXPECT_EQ("1250", ScaledFromScreen("12,5", 100));
  EXPECT_EQ("3333", ScaledFromScreen("0,3333", 10000));
  EXPECT_EQ("29", ScaledFromScreen("0,29", 100));
  EXPECT_EQ("", ScaledFromScreen("", 100));
  EXPECT_THROW(ScaledFromScreen("douze", 100), ComponentError);

  EXPECT_EQ(12.5, UnscaledFromStore("1250", 100));
  EXPECT_EQ(1, UnscaledFromStore("10000", 10000));
  EXPECT_EQ(1e18, UnscaledFromStore("1e+20", 100));
  EXPECT_THROW(UnscaledFromStore("", 100), ComponentError);
  EXPECT_THROW(UnscaledFromStore("inf", 100), ComponentError);
  for (const char* text : {"7,15", "0,3333", "100", "-12,05"}) {
    EXPECT_EQ(text, FrenchText(UnscaledFromStore(ScaledFromScreen(text, 10000), 10000)));
  }
}

TEST(UpperCaseTest, AccentedLettersToo) {
  EXPECT_EQ("PRIME D'ANCIENNETÉ", UpperCase("prime d'ancienneté"));
  EXPECT_EQ("ÉÈÀÇÙÂÊÎÔÛËÏÜŸŒÆ", UpperCase("éèàçùâêîôûëïüÿœæ"));
  EXPECT_EQ("ÉTÉ 25% ÷ ß", UpperCase("été 25% ÷ ß"));
  EXPECT_EQ("DÉJÀ", UpperCase("DÉJÀ"));
  // A lone Latin-1 byte is not UTF-8: left as it is.
  EXPECT_EQ("CAF\xE9", UpperCase("caf\xE9"));
  EXPECT_EQ("", UpperCase(""));
}

}  // namespace
}  // namespace talvero::records
