#include "screen/operator.h"

#include <gtest/gtest.h>

namespace talvero::screen {
namespace {

// Keys are characters, not bytes: what the operator types is decoded, and Backspace takes the
// whole last character away.
TEST(Utf8Test, DecodesEncodesAndDropsWholeCharacters) {
  auto codes = DecodeUtf8("aé€");
  ASSERT_EQ(3u, codes.size());
  EXPECT_EQ(0xE9u, static_cast<unsigned>(codes[1]));
  EXPECT_EQ("€", EncodeUtf8(codes[2]));
  EXPECT_EQ("aé", DropLastChar("aé€"));
  EXPECT_EQ("a", DropLastChar("aé"));
}

}  // namespace
}  // namespace talvero::screen
