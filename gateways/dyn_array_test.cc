#include "gateways/dyn_array.h"

#include <gtest/gtest.h>

#include "gateways/dba_error.h"

namespace talvero {
namespace {

// Shows the marks as the record notation does: ^ between attributes, ] between values, \ between
// sub-values.
std::string Readable(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == kAttrMark) {
      out += '^';
    } else if (c == kValueMark) {
      out += ']';
    } else if (c == kSubMark) {
      out += '\\';
    } else {
      out += c;
    }
  }
  return out;
}

DBADynArray FromReadable(const std::string& readable) {
  std::string text;
  for (char c : readable) {
    text += c == '^' ? kAttrMark : c == ']' ? kValueMark : c == '\\' ? kSubMark : c;
  }
  return DBADynArray(text);
}

class MemorySink : public RecordSink {
 public:
  void WriteRecord(const std::string& id, const std::string& text) override {
    written += id + "=" + Readable(text) + ";";
  }
  std::string written;
};

TEST(DynArrayTest, ReadsAttributesValuesAndSubValues) {
  DBADynArray rec = FromReadable("LOYER^A]B\\C^^X");
  EXPECT_EQ("LOYER", rec.Get(1));
  EXPECT_EQ("A]B\\C", Readable(rec.Get(2)));
  EXPECT_EQ("B\\C", Readable(rec.Get(2, 2)));
  EXPECT_EQ("", rec.Get(3));
  EXPECT_EQ("X", rec.Get(4, 1));
  EXPECT_EQ("LOYER^A]B\\C^^X", Readable(rec.Get()));
}

TEST(DynArrayTest, ReadingPastTheEndGivesEmptyText) {
  DBADynArray rec = FromReadable("A]B");
  EXPECT_EQ("", rec.Get(2));
  EXPECT_EQ("", rec.Get(1, 3));
  EXPECT_EQ("", rec.Get(7, 1));
  EXPECT_EQ("", rec.Get(-1));
  EXPECT_EQ("", rec.Get(1, 0));
}

TEST(DynArrayTest, AssigningPastTheEndExtends) {
  DBADynArray rec;
  rec.Set(3, "C");
  EXPECT_EQ("^^C", Readable(rec.Get()));
  rec.Set(1, 3, "Z");
  EXPECT_EQ("]]Z^^C", Readable(rec.Get()));
  rec.Set(5, 2, "E");
  EXPECT_EQ("]]Z^^C^^]E", Readable(rec.Get()));
}

TEST(DynArrayTest, AssigningReplacesOnlyItsPart) {
  DBADynArray rec = FromReadable("A^B]C]D^E");
  rec.Set(2, 2, "X");
  rec.Set(3, "F]G");
  EXPECT_EQ("A^B]X]D^F]G", Readable(rec.Get()));
  rec.Set("N");
  EXPECT_EQ("N", rec.Get());
  EXPECT_EQ("", rec.Get(2));
}

TEST(DynArrayTest, ValueMinusOneAppends) {
  DBADynArray rec = FromReadable("A^^C");
  rec.Set(2, -1, "001");
  EXPECT_EQ("A^001^C", Readable(rec.Get()));
  rec.Set(2, -1, "002");
  EXPECT_EQ("A^001]002^C", Readable(rec.Get()));
  rec.Set(5, -1, "X");
  EXPECT_EQ("A^001]002^C^^X", Readable(rec.Get()));
  EXPECT_EQ(2, rec.DCount(2));
}

TEST(DynArrayTest, BadIndexesRaiseSubscriptErrors) {
  DBADynArray rec;
  for (auto assign :
       {+[](DBADynArray& r) { r.Set(0, "X"); }, +[](DBADynArray& r) { r.Set(-2, "X"); },
        +[](DBADynArray& r) { r.Set(1, 0, "X"); }}) {
    try {
      assign(rec);
      FAIL() << "no error";
    } catch (const ComponentError& e) {
      EXPECT_EQ(kErrSubscript, e.Number());
    }
  }
  EXPECT_EQ("", rec.Get());
}

TEST(DynArrayTest, CountsAttributesAndValues) {
  EXPECT_EQ(0, DBADynArray().DCount());
  EXPECT_EQ(0, DBADynArray("").DCount());
  EXPECT_EQ(1, FromReadable("A").DCount());
  EXPECT_EQ(3, FromReadable("A^^").DCount());

  DBADynArray rec = FromReadable("A]B]^^]");
  EXPECT_EQ(3, rec.DCount(1));
  EXPECT_EQ(0, rec.DCount(2));
  EXPECT_EQ(2, rec.DCount(3));
  EXPECT_EQ(0, rec.DCount(9));

  DBADynArray emptied;
  emptied.Set(1, "");
  EXPECT_EQ(0, emptied.DCount());
}

TEST(DynArrayTest, EqualContentGivesEqualText) {
  DBADynArray built;
  built.Set(2, 2, "B");
  built.Set(1, "A");
  built.Set(3, -1, "C");
  DBADynArray parsed(built.Get());
  EXPECT_EQ(built.Get(), parsed.Get());
  EXPECT_EQ("A^]B^C", Readable(parsed.Get()));
}

TEST(DynArrayTest, NumbersAreStoredAsShortestText) {
  EXPECT_EQ("1250", DBADynArray::NumberText(12.50 * 100));
  EXPECT_EQ("29", DBADynArray::NumberText(0.29 * 100));
  EXPECT_EQ("0.1", DBADynArray::NumberText(0.1));
  EXPECT_EQ("0.3", DBADynArray::NumberText(0.1 + 0.2));
  EXPECT_EQ("-12.5", DBADynArray::NumberText(-12.5));
  EXPECT_EQ("0", DBADynArray::NumberText(0.0));
  EXPECT_EQ("0", DBADynArray::NumberText(-0.0));
  EXPECT_EQ("100000000000000000000", DBADynArray::NumberText(1e20));
  EXPECT_EQ("0.00001", DBADynArray::NumberText(1e-5));
  EXPECT_EQ("123456789012345", DBADynArray::NumberText(123456789012345.0));
  EXPECT_EQ("1234567890123460", DBADynArray::NumberText(1234567890123456.0));
  EXPECT_EQ("3.14159265358979", DBADynArray::NumberText(3.14159265358979323));
}

TEST(DynArrayTest, SetNumberStoresTheText) {
  DBADynArray rec;
  rec.SetNumber(7, 12.5 * 100);
  rec.SetNumber(7, 2, 0.29 * 100);
  EXPECT_EQ("1250]29", Readable(rec.Get(7)));
  try {
    rec.SetNumber(1, 1.0 / 0.0);
    FAIL() << "no error";
  } catch (const ComponentError& e) {
    EXPECT_EQ(kErrConversion, e.Number());
  }
}

TEST(DynArrayTest, BoundRecordWritesWhereItCameFrom) {
  auto sink = std::make_shared<MemorySink>();
  DBADynArray rec = FromReadable("A^B");
  rec.Bind(sink, "012");
  EXPECT_EQ("012", rec.Get(0));
  rec.Set(3, "C");
  rec.DBWrite();
  EXPECT_EQ("012=A^B^C;", sink->written);
}

TEST(DynArrayTest, UnboundRecordRefusesToWrite) {
  DBADynArray rec("A");
  try {
    rec.DBWrite();
    FAIL() << "no error";
  } catch (const ComponentError& e) {
    EXPECT_EQ(kErrNotBound, e.Number());
    EXPECT_NE(std::string(e.what()), "");
  }
}

}  // namespace
}  // namespace talvero
