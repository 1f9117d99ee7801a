#pragma once
// The entry-item record of file RUBSAISIE: attribute numbers, the six code tables that translate
// the selectors' texts into stored codes, and the scaled numbers.
//
// Code tables: the stored code of an integer-coded selector is the position of its text in the
// selector's design-time list; the two letter-coded selectors store one letter. Texts compare
// exactly, accents and case included.
#include <optional>
#include <string>
#include <vector>

namespace talvero::records {

// Attribute numbers of a RUBSAISIE record.
enum Attr : int {
  kLibelle = 1,
  kChampApplication = 2,
  kTypeAvantageNature = 3,
  kAutomatique = 4,
  kSigne = 5,
  kTypeBase = 6,
  kBase = 7,
  kTypeTaux = 8,
  kTaux = 9,
  kTypeMontant = 10,
  kMontant = 11,
  kCompteDebit = 12,
  kCompteCredit = 13,
  kSensDetail = 14,
  kRubriquesDetail = 15,
  kModulation = 16,
  kTypeFraisProf = 17,
  kSupprimee = 18,
  kTypeHeures = 19,
  kTelegeree = 20,
  kCaractereAnnuel = 21,
  kPrevoyanceMaintien = 22,
  kTravailNuit = 23,
  kNePasFacturer = 24,
};

// The marker appended to the label of a deleted item in every label list (never stored).
inline const std::string kDeletedSuffix = "         SUPPRIME";

// Integer-coded tables (A, C, D, E): the list texts in code order.
const std::vector<std::string>& ChampApplicationTexts();  // table A, attribute 2
const std::vector<std::string>& TypeBaseTexts();          // table C, attribute 6
const std::vector<std::string>& TypeTauxTexts();          // table D, attribute 8
const std::vector<std::string>& TypeMontantTexts();       // table E, attribute 10

// Letter-coded tables (B, F): letter, text, list position.
struct LetterCode {
  std::string letter;
  std::string text;
  int position;
};
const std::vector<LetterCode>& TypeAvantageNatureTable();  // table B, attribute 3
const std::vector<LetterCode>& TypeFraisProfTable();       // table F, attribute 17

// Text to code: the position of the first item equal to the text; nullopt when none is.
std::optional<int> CodeOfText(const std::vector<std::string>& texts, const std::string& text);
std::optional<std::string> LetterOfText(const std::vector<LetterCode>& table,
                                        const std::string& text);
// Code to text: "" when the code is outside the table.
std::string TextOfCode(const std::vector<std::string>& texts, int code);
std::string TextOfLetter(const std::vector<LetterCode>& table, const std::string& letter);

// Codes 800 to 999 belong to the maker's own users.
inline constexpr int kFirstReservedCode = 800;
// The number a code starts with, as the reserved-range tests read it ("850" -> 850, "8*1" -> 8).
int CodeNumber(const std::string& code);

// A base type is a component type when the first ten characters of its text are "Composante".
bool IsComponentBase(const std::string& base_type_text);

// ---- Numbers.
// Reads a French decimal number ("12,5", "-3", "12.5" also accepted); nullopt when not a number,
// or when it is too large for a double (a number too small for one reads as 0).
std::optional<double> ParseFrenchNumber(const std::string& text);
// The digits of the whole part of a text written as a number, leading zeros left out ("007,5"
// gives 1); nullopt when the text is not written as a number. Tells a number too large to read
// from a text that is no number at all.
std::optional<size_t> WholePartDigits(const std::string& text);
// Like ParseFrenchNumber but a text that is not a number raises ComponentError(kErrConversion).
double FrenchNumber(const std::string& text);
// Reads a stored integer attribute ("5", " 5"); empty or not a number raises kErrConversion.
long StoredInteger(const std::string& text);
// A value in the French convention: decimal comma, no trailing zeros ("12,5", "1", "0,3333").
std::string FrenchText(double value);
// Screen text to stored text: the number times scale, "" for an empty text.
std::string ScaledFromScreen(const std::string& screen_text, double scale);
// Stored text to the number it stands for (stored / scale).
double UnscaledFromStore(const std::string& stored, double scale);

// Upper case, accented letters included ("prime d'ancienneté" -> "PRIME D'ANCIENNETÉ").
std::string UpperCase(const std::string& text);

}  // namespace talvero::records
