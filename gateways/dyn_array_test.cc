#include "gateways/dyn_array.h"

#include <gtest/gtest.h>

#include "store/test_notation.h"

namespace talvero {
namespace {

// A trailing mark counts: "A]B\C]" holds three values.
TEST(DynArrayTest, ReadsAndCountsPartsWithEmptyTextPastTheEnd) {
  DBADynArray rec(Marks("LOYER^A]B\\C]^^X"));
  EXPECT_EQ("A]B\\C]", Readable(rec.Get(2)));
  EXPECT_EQ("B\\C", Readable(rec.Get(2, 2)));
  EXPECT_EQ("X", rec.Get(4, 1));
  EXPECT_EQ("", rec.Get(-1));
  for (auto [a, v] : {std::pair{3, 1}, std::pair{2, 4}, std::pair{7, 1}, std::pair{1, 0}})
    EXPECT_EQ("", rec.Get(a, v)) << a << "," << v;
  EXPECT_EQ(4, rec.DCount());
  for (auto [a, count] : {std::pair{1, 1}, std::pair{2, 3}, std::pair{3, 0}, std::pair{9, 0}})
    EXPECT_EQ(count, rec.DCount(a)) << a;
  rec.Set("");
  rec.Set(1, "");
  EXPECT_EQ(0, rec.DCount());
}

// Assignments made in turn to one record, with its whole text after each (value 0: none given).
TEST(DynArrayTest, AssigningExtendsReplacesAndAppends) {
  DBADynArray rec;
  for (auto [a, v, text, after] :
       std::initializer_list<std::tuple<int, int, const char*, const char*>>{
           {3, 0, "C", "^^C"},
           {1, 3, "Z", "]]Z^^C"},
           {5, 2, "E", "]]Z^^C^^]E"},
           {2, -1, "001", "]]Z^001^C^^]E"},  // an empty attribute gets value 1
           {2, -1, "002", "]]Z^001]002^C^^]E"},
           {1, 2, "X", "]X]Z^001]002^C^^]E"},
           {3, 0, "F]G", "]X]Z^001]002^F]G^^]E"},
           {-1, 0, "N", "]X]Z^001]002^F]G^^]E^N"}}) {
    v == 0 ? rec.Set(a, Marks(text)) : rec.Set(a, v, Marks(text));
    EXPECT_EQ(after, Readable(rec.Get())) << a << "," << v;
  }
  EXPECT_EQ(kErrSubscript, ErrorOf([&] { rec.Set(0, "X"); }));
  EXPECT_EQ(kErrSubscript, ErrorOf([&] { rec.Set(-2, "X"); }));
  EXPECT_EQ(kErrSubscript, ErrorOf([&] { rec.Set(1, 0, "X"); }));
  EXPECT_EQ(kErrNotBound, ErrorOf([&] { rec.DBWrite(); }));

  // A part holds marks of lower levels only; a refused assignment changes nothing.
  for (auto [a, v, text] : std::initializer_list<std::tuple<int, int, const char*>>{
           {1, 0, "A^B"}, {-1, 0, "^"}, {1, 1, "A]B"}, {1, -1, "A^B"}, {-1, 1, "]"}}) {
    EXPECT_EQ(kErrMarkInValue,
              ErrorOf([&] { v == 0 ? rec.Set(a, Marks(text)) : rec.Set(a, v, Marks(text)); }))
        << a << "," << v << " " << text;
  }
  EXPECT_EQ("]X]Z^001]002^F]G^^]E^N", Readable(rec.Get()));
  rec.Set(1, 1, Marks("A\\B"));
  EXPECT_EQ("A\\B", Readable(rec.Get(1, 1)));
}

TEST(DynArrayTest, NumbersAreStoredAsTheirShortestText) {
  const std::pair<double, const char*> numbers[] = {
      {12.50 * 100, "1250"}, {0.29 * 100, "29"},
      {0.1 + 0.2, "0.3"},    {-12.5, "-12.5"},
      {-0.0, "0"},           {1e20, "100000000000000000000"},
      {1e-5, "0.00001"},     {1234567890123456.0, "1234567890123460"}};
  for (auto [value, text] : numbers) EXPECT_EQ(text, DBADynArray::NumberText(value));
  DBADynArray rec;
  rec.SetNumber(7, 12.5 * 100);
  rec.SetNumber(7, 2, 0.29 * 100);
  EXPECT_EQ("1250]29", Readable(rec.Get(7)));
  EXPECT_EQ(kErrConversion, ErrorOf([&] { rec.SetNumber(1, 1.0 / 0.0); }));
}

}  // namespace
}  // namespace talvero
