#include "store/query.h"

#include <cstdint>
#include <cstring>

#include "gateways/dba_error.h"
#include "gateways/dyn_array.h"

namespace talvero::store {

namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

[[noreturn]] void Fail(const std::string& sentence, const std::string& fault) {
  throw ComponentError(kErrBadQuery,
                       "Phrase de requête incorrecte (" + fault + ") : \"" + sentence + "\"");
}

std::vector<Token> Tokenize(const std::string& sentence) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < sentence.size()) {
    if (IsBlank(sentence[i])) {
      ++i;
    } else if (sentence[i] == '"') {
      auto close = sentence.find('"', i + 1);
      if (close == std::string::npos) Fail(sentence, "guillemet non fermé");
      tokens.push_back({sentence.substr(i + 1, close - i - 1), true});
      i = close + 1;
    } else {
      size_t start = i;
      while (i < sentence.size() && !IsBlank(sentence[i]) && sentence[i] != '"') ++i;
      tokens.push_back({sentence.substr(start, i - start), false});
    }
  }
  return tokens;
}

// Walks the tokens of one sentence; every fault names what was expected.
class Parser {
 public:
  explicit Parser(const std::string& sentence) : sentence_(sentence), tokens_(Tokenize(sentence)) {}

  Query Parse() {
    Query query;
    std::string verb = Word("SSELECT ou SELECT");
    if (verb == "SSELECT") {
      query.sorted = true;
    } else if (verb == "SELECT") {
      query.sorted = false;
    } else {
      Fail(sentence_, "SSELECT ou SELECT attendu au lieu de \"" + verb + "\"");
    }
    query.file = Word("nom de fichier");
    if (IsKeyword(query.file)) Fail(sentence_, "nom de fichier manquant");

    while (AtWord("AVEC") || AtWord("SANS")) {
      query.conditions.push_back(ParseCondition());
      if (AtWord("AND")) {
        ++next_;
        if (!AtWord("AVEC") && !AtWord("SANS")) Fail(sentence_, "AVEC ou SANS attendu après AND");
      }
    }
    if (AtWord("PAR")) {
      ++next_;
      query.sort_attr = Attribute("PAR");
    }
    if (next_ < tokens_.size()) {
      const Token& extra = tokens_[next_];
      Fail(sentence_,
           (extra.quoted ? "valeur inattendue \"" : "mot inattendu \"") + extra.text + "\"");
    }
    return query;
  }

 private:
  static bool IsKeyword(const std::string& word) {
    return word == "AVEC" || word == "SANS" || word == "AND" || word == "PAR" ||
           word == "SSELECT" || word == "SELECT";
  }

  bool AtWord(const char* word) const {
    return next_ < tokens_.size() && !tokens_[next_].quoted && tokens_[next_].text == word;
  }

  std::string Word(const std::string& expected) {
    if (next_ >= tokens_.size()) Fail(sentence_, expected + " manquant");
    const Token& token = tokens_[next_++];
    if (token.quoted) Fail(sentence_, expected + " attendu au lieu d'une valeur entre guillemets");
    return token.text;
  }

  int Attribute(const std::string& after) {
    std::string word = Word("numéro d'attribut après " + after);
    if (word == "@ID") return 0;
    if (word.empty() || word.size() > 6 || word.find_first_not_of("0123456789") != word.npos) {
      Fail(sentence_, "numéro d'attribut attendu après " + after + " au lieu de \"" + word + "\"");
    }
    return std::stoi(word);
  }

  Condition ParseCondition() {
    Condition condition;
    std::string keyword = tokens_[next_++].text;
    condition.with = keyword == "AVEC";
    condition.attr = Attribute(keyword);
    std::string op = Word("= ou <>");
    if (op != "=" && op != "<>") Fail(sentence_, "= ou <> attendu au lieu de \"" + op + "\"");
    condition.equal = op == "=";
    if (next_ >= tokens_.size() || !tokens_[next_].quoted) {
      Fail(sentence_, "valeur entre guillemets attendue après " + op);
    }
    condition.value = tokens_[next_++].text;
    if (!condition.value.empty() && condition.value.back() == ']') {
      condition.value.pop_back();
      condition.prefix = true;
    }
    return condition;
  }

  const std::string& sentence_;
  std::vector<Token> tokens_;
  size_t next_ = 0;
};

bool ValuePasses(const Condition& condition, std::string_view value) {
  bool same = condition.prefix ? value.substr(0, condition.value.size()) == condition.value
                               : value == condition.value;
  return same == condition.equal;
}

// A condition holds when some value passes (AVEC) or none does (SANS). An empty or missing
// attribute is one empty value, so "AVEC 18 = \"\"" selects the records without attribute 18.
bool ConditionHolds(const Condition& condition, const RecordView& record) {
  std::string_view attr = record.Attribute(condition.attr);
  bool some_value_passes = false;
  size_t start = 0;
  for (;;) {
    size_t end = condition.attr == 0 ? attr.npos : attr.find(kValueMark, start);
    std::string_view value = attr.substr(start, end == attr.npos ? attr.npos : end - start);
    if (ValuePasses(condition, value)) {
      some_value_passes = true;
      break;
    }
    if (end == attr.npos) break;
    start = end + 1;
  }
  return some_value_passes == condition.with;
}

}  // namespace

Query ParseQuery(const std::string& sentence) {
  return Parser(sentence).Parse();
}

namespace {

// The number of bytes of the word equal to kAttrMark, exactly (no false positives): a zero byte of
// word ^ marks sets the high bit of its byte in the result, and only such a byte does.
int MarksIn(uint64_t word) {
  constexpr uint64_t kMarks = 0x0101010101010101ULL * static_cast<unsigned char>(kAttrMark);
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
  uint64_t v = word ^ kMarks;
  uint64_t t = ~(((v & kLow7) + kLow7) | v | kLow7);
  // One bit per byte at most, the high one: summing the bytes counts them, without needing a
  // population count instruction.
  return static_cast<int>(((t >> 7) * 0x0101010101010101ULL) >> 56);
}

}  // namespace

// Reading an attribute far in a record is the core of every query result: the marks before it
// are counted eight bytes at a time, and only the last word is walked byte by byte.
std::string_view AttributeOf(std::string_view record, int attr) {
  if (attr < 1) return {};
  const char* p = record.data();
  const char* const end = p + record.size();
  int marks_left = attr - 1;
  while (marks_left > 0 && end - p >= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    int marks = MarksIn(word);
    if (marks >= marks_left) break;
    marks_left -= marks;
    p += 8;
  }
  for (; marks_left > 0; ++p) {
    if (p == end) return {};
    if (*p == kAttrMark) --marks_left;
  }
  const char* start = p;
  while (p != end && *p != kAttrMark) ++p;
  return std::string_view(start, p - start);
}

bool Matches(const Query& query, const RecordView& record) {
  for (const Condition& condition : query.conditions) {
    if (!ConditionHolds(condition, record)) return false;
  }
  return true;
}

bool Matches(const Query& query, std::string_view id, std::string_view record) {
  return Matches(query, RecordView{id, AttributeOf(record, 1), record});
}

Access ChooseAccess(const Query& query) {
  // Lower rank, narrower range: an exact id first, an attribute 1 prefix last.
  Access best;
  int best_rank = 4;
  for (const Condition& condition : query.conditions) {
    if (!condition.with || !condition.equal || condition.attr > 1) continue;
    // An empty prefix starts every text: the range would be the whole file.
    if (condition.prefix && condition.value.empty()) continue;
    int rank = (condition.attr == 0 ? 0 : 2) + (condition.prefix ? 1 : 0);
    if (rank < best_rank) {
      best_rank = rank;
      best.kind = condition.attr == 0 ? Access::kIdRange : Access::kAttr1Range;
      best.key = condition.value;
      best.prefix = condition.prefix;
    }
  }
  return best;
}

}  // namespace talvero::store
