#include "replay/values.h"

#include <gtest/gtest.h>

#include "replay/notation.h"
#include "screen/designs.h"
#include "screen/display.h"

namespace talvero::replay {
namespace {

ExpectedValue Value(const std::string& line_value) {
  // Parsed the way a scenario line gives it, so the test covers what authors write.
  return ParseLine("expect X.Text = " + line_value, 1)->expected;
}

bool Holds(const std::string& written, const Observed& found) {
  return Matches(Value(written), found);
}

Observed Record(const std::string& notation, bool exists = true) {
  return FieldValue({FieldView::Kind::Record, exists, StoredFromNotation(notation)});
}

TEST(ValuesTest, BooleansCompareAsTrueOrFalseWhateverTheirStoredForm) {
  EXPECT_TRUE(Holds("true", Observed::Boolean(true)));
  EXPECT_FALSE(Holds("false", Observed::Boolean(true)));
  // An option button's 1 and a 16-bit Boolean's -1 are both true.
  EXPECT_TRUE(Holds("true", Observed::Integer(-1)));
  EXPECT_TRUE(Holds("true", Observed::Integer(1)));
  EXPECT_TRUE(Holds("false", Observed::Integer(0)));
  EXPECT_TRUE(Holds("-1", Observed::Boolean(true)));
  EXPECT_FALSE(Holds("\"true\"", Observed::Boolean(false)));
}

TEST(ValuesTest, IntegersAndTexts) {
  EXPECT_TRUE(Holds("-1", Observed::Integer(-1)));
  EXPECT_TRUE(Holds("\"42\"", Observed::Integer(42)));
  EXPECT_FALSE(Holds("4", Observed::Integer(42)));
  EXPECT_TRUE(Holds("\"Réactiver\"", Observed::Text("Réactiver")));
  EXPECT_FALSE(Holds("\"réactiver\"", Observed::Text("Réactiver")));
  EXPECT_FALSE(Holds("true", Observed::Text("")));
  EXPECT_FALSE(Holds("none", Observed::Text("")));
}

TEST(ValuesTest, RecordFieldsCompareAsRecordTexts) {
  EXPECT_TRUE(Holds("\"^^^^^^^^^^^^^I^003]007\"", Record("^^^^^^^^^^^^^I^003]007^^")));
  EXPECT_FALSE(Holds("\"^^I^003\"", Record("^^I^003]007")));
  // An empty record exists; none is an object that was never made or was released.
  EXPECT_TRUE(Holds("\"\"", Record("")));
  EXPECT_FALSE(Holds("none", Record("")));
  EXPECT_TRUE(Holds("none", Record("", false)));
  EXPECT_FALSE(Holds("\"\"", Record("", false)));
  EXPECT_EQ("none", Record("", false).Written());
  EXPECT_EQ("\"A^B]C\"", Record("A^B]C").Written());
}

class ControlPropertyTest : public ::testing::Test {
 protected:
  ControlPropertyTest() : screen_(display_), surface_(screen::MakeEntryScreen(screen_)) {}
  std::string Read(const char* control, const std::string& property) {
    std::optional<Observed> o = ControlProperty(surface_->Get(control), property);
    return o ? o->Written() : "(unknown)";
  }
  screen::HeadlessDisplay display_;
  screen::Screen screen_;
  std::unique_ptr<screen::Surface> surface_;
};

TEST_F(ControlPropertyTest, ReadsEachPropertyWithItsKind) {
  EXPECT_EQ("\"Composante de montants\"", Read("Cbo_TypBaseRubSai", "Text"));
  EXPECT_EQ("3", Read("Cbo_TypBaseRubSai", "ListIndex"));
  EXPECT_EQ("5", Read("Cbo_TypBaseRubSai", "ListCount"));
  EXPECT_EQ("\"Fixe\"", Read("Cbo_TypBaseRubSai", "List(1)"));
  EXPECT_EQ("\"\"", Read("Cbo_TypBaseRubSai", "List(9)"));
  EXPECT_EQ("\"Supprimer\"", Read("Cmd_Supprimer", "Caption"));
  EXPECT_EQ("false", Read("Etq_CompteRubSai", "Enabled"));
  EXPECT_EQ("false", Read("Etq_PrcMontBaseRubSai", "Visible"));
  // Option buttons are Booleans, check boxes 0 or 1.
  EXPECT_EQ("true", Read("Opt_Incluse", "Value"));
  EXPECT_EQ("0", Read("Cac_AutoRubSai", "Value"));
  EXPECT_EQ("(unknown)", Read("Cmd_OK", "Colour"));
  EXPECT_EQ("(unknown)", Read("Cbo_TypBaseRubSai", "List(x)"));
}

TEST_F(ControlPropertyTest, SelectedRowsOfAListBox) {
  std::unique_ptr<screen::Surface> detail = screen::MakeDetailWindow(screen_);
  screen::Control& list = detail->Get("Lst_ListeRubSai");
  list.AddItem("003 SALAIRE DE BASE");
  list.AddItem("007 HEURES");
  list.SetSelected(1, true);
  EXPECT_EQ("true", ControlProperty(list, "Selected(1)")->Written());
  EXPECT_EQ("false", ControlProperty(list, "Selected(0)")->Written());
  EXPECT_EQ(
      "Frm_Detail.Lst_ListeRubSai: Enabled=true Visible=true ListIndex=-1 "
      "List=[\"003 SALAIRE DE BASE\" \"007 HEURES\"*]",
      DescribeControl(list));
  EXPECT_EQ("false", SurfaceProperty(*detail, "Visible")->Written());
  EXPECT_EQ("\"Details de la base de la rubrique\"",
            SurfaceProperty(*detail, "Caption")->Written());
}

}  // namespace
}  // namespace talvero::replay
