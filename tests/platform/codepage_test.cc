#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace torvex {
namespace {

TEST(WideToAnsi, ConvertsUpToAndIncludingTheFirstNul) {
  char out[16];
  const char16_t text[] = u"ação\0tail";
  EXPECT_EQ(platform().wideToAnsi(text, out, sizeof out), 7);  // 6 bytes and the NUL
  EXPECT_STREQ(out, "ação");
  EXPECT_EQ(platform().wideToAnsi(text, nullptr, 0), 7);  // counting only
}

TEST(WideToAnsi, FailsWhenItDoesNotFitWithoutWritingPastTheEnd) {
  char out[8] = "xxxxxxx";
  EXPECT_EQ(platform().wideToAnsi(u"ação", out, 6), 0);
  EXPECT_EQ(platform().lastError(), kErrorInsufficientBuffer);
  EXPECT_EQ(platform().wideToAnsi(u"ação", out, 7), 7);
}

TEST(WideToAnsi, UnpairedSurrogatesBecomeQuestionMarks) {
  char out[16];
  const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, 0};
  EXPECT_EQ(platform().wideToAnsi(lone, out, sizeof out), 5);
  EXPECT_STREQ(out, "a?b?");
  const char16_t pair[] = {0xD83D, 0xDE00, 0};  // one character outside the BMP
  EXPECT_EQ(platform().wideToAnsi(pair, out, sizeof out), 5);
  EXPECT_STREQ(out, "\xF0\x9F\x98\x80");
}

TEST(OemToWide, ConvertsExactlyNBytes) {
  char16_t out[8] = {};
  EXPECT_EQ(platform().oemToWide("ação", 6, out, 8), 4);
  EXPECT_EQ(std::u16string(out, 4), u"ação");
  EXPECT_EQ(platform().oemToWide("a\0b", 3, out, 8), 3);  // a NUL is just a character
  EXPECT_EQ(out[1], 0);
  EXPECT_EQ(platform().oemToWide("ação", 6, nullptr, 0), 4);
  EXPECT_EQ(platform().oemToWide("ação", 6, out, 3), 0);
  EXPECT_EQ(platform().lastError(), kErrorInsufficientBuffer);
  EXPECT_EQ(platform().oemToWide("x", 0, out, 8), 0);
}

TEST(OemToWide, InvalidBytesBecomeReplacementCharacters) {
  char16_t out[8];
  EXPECT_EQ(platform().oemToWide("a\xE7z\xC3", 4, out, 8), 4);
  EXPECT_EQ(std::u16string(out, 4), u"a\uFFFDz\uFFFD");
}

}  // namespace
}  // namespace torvex
