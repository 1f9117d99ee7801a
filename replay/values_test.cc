#include "replay/values.h"

#include <gtest/gtest.h>

#include "replay/notation.h"

namespace talvero::replay {
namespace {

Observed Record(const std::string& notation, bool exists = true) {
  return FieldValue({FieldView::Kind::Record, exists, StoredFromNotation(notation)});
}

TEST(ValuesTest, ExpectedValuesAgainstWhatIsFound) {
  // The value as on the right of "=" in a scenario line, what is found, whether they match.
  for (const auto& [written, found, matches] :
       std::initializer_list<std::tuple<const char*, Observed, bool>>{
           // Booleans are true or false whatever their stored form: 1, or a 16-bit -1.
           {"false", Observed::Boolean(true), false},
           {"true", Observed::Integer(-1), true},
           {"true", Observed::Integer(1), true},
           {"false", Observed::Integer(0), true},
           {"-1", Observed::Boolean(true), true},
           {"\"true\"", Observed::Boolean(true), false},
           // A number in quotes still names that number; texts compare exactly.
           {"\"42\"", Observed::Integer(42), true},
           {"4", Observed::Integer(42), false},
           {"\"réactiver\"", Observed::Text("Réactiver"), false},
           {"true", Observed::Text("true"), false},
           // Records ignore trailing empty places; an empty record exists, none was never made.
           {"\"^^I^003]007\"", Record("^^I^003]007^^"), true},
           {"\"^^I^003\"", Record("^^I^003]007"), false},
           {"\"\"", Record(""), true},
           {"none", Record(""), false},
           {"none", Record("", false), true},
           {"\"\"", Record("", false), false},
       }) {
    ExpectedValue expected = ParseLine(std::string("expect X.Text = ") + written, 1)->expected;
    EXPECT_EQ(matches, Matches(expected, found)) << written << " vs " << found.Written();
  }
}

}  // namespace
}  // namespace talvero::replay
