// The fuzz targets fed by a seeded random generator: the sentences the screen sends, cut, spliced
// and sprinkled with the grammar's own words, and record texts of random bytes rich in marks. A
// fault aborts the test program. libFuzzer drives the same targets in `make reliability` when
// clang is installed.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "gateways/dyn_array.h"
#include "tests/reliability/fuzz_targets.h"
#include "tests/reliability/reliability_rig.h"

namespace talvero::reliability {
namespace {

const std::vector<std::string> kSentences = {
    "SSELECT RUBSAISIE PAR 1",
    "SSELECT RUBSAISIE AVEC 1 = \"PRIME]\" PAR 1",
    "SSELECT PLANCOMPTABLE AVEC @ID = \"00141]\" PAR 1",
    "SELECT ASSOCIATION AVEC 38 <> \"\" PAR 38",
    "SSELECT RUBSAISIE SANS 0 = \"014\" AND AVEC 18 = \"\"",
};
const std::vector<std::string> kWords = {
    "SSELECT", "SELECT",    "AVEC",     "SANS", "AND",  "PAR",  "@ID",  "=",
    "<>",      "\"",        "]",        " ",    "0",    "1",    "18",   "999999",
    "9999999", "RUBSAISIE", "COMPTEUR", "\xFE", "\xFD", "\xFC", "\xFF", "\xC3"};

std::string Mutated(std::mt19937& random) {
  std::string text = kSentences[random() % kSentences.size()];
  for (int edits = 1 + random() % 4; edits > 0; --edits) {
    size_t at = text.empty() ? 0 : random() % (text.size() + 1);
    switch (random() % 4) {
      case 0:
        text.insert(at, kWords[random() % kWords.size()]);
        break;
      case 1:
        text.erase(at, random() % 8);
        break;
      case 2:
        text.insert(at, 1, static_cast<char>(random()));
        break;
      default:
        text = text.substr(0, at) + kSentences[random() % kSentences.size()].substr(at % 10);
    }
  }
  return text;
}

std::string RandomRecord(std::mt19937& random) {
  const std::string alphabet = std::string("AB1 ") + kAttrMark + kValueMark + kSubMark + "\xFF\xC3";
  std::string text;
  for (size_t length = random() % 120; text.size() < length;)
    text += alphabet[random() % alphabet.size()];
  return text;
}

void Feed(void (*target)(const uint8_t*, size_t), const std::string& input) {
  target(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

TEST(FuzzTest, QuerySentencesNeverFailOtherwiseThanAsBadQueries) {
  std::mt19937 random(9);
  const int inputs = Rounds(3000, 300000);
  for (int i = 0; i < inputs; ++i) {
    std::string sentence = Mutated(random);
    Feed(FuzzQuery, sentence);
    // The same sentence as a whole request, with a file name and wanted attributes of its own.
    Feed(FuzzQuery, std::string(1, kAttrMark) + sentence + kAttrMark +
                        kWords[random() % kWords.size()] + kAttrMark +
                        Mutated(random).substr(0, 6));
  }
  Report("fuzz-query", "inputs=" + std::to_string(2 * inputs) + " faults=0");
}

TEST(FuzzTest, RecordTextsComeBackByteForByte) {
  std::mt19937 random(11);
  const int inputs = Rounds(2000, 200000);
  for (int i = 0; i < inputs; ++i) Feed(FuzzRecordText, RandomRecord(random));
  Report("fuzz-record", "inputs=" + std::to_string(inputs) + " faults=0");
}

}  // namespace
}  // namespace talvero::reliability
