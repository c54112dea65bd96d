#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "tests/support/windows_limits.h"

namespace torvex {
namespace {

TEST(WideToAnsi, ConvertsUpToAndIncludingTheFirstNul) {
  if (testing::kWin32Surroundings) GTEST_SKIP() << testing::kAnsiIsUtf8;
  char out[16];
  const char16_t text[] = u"ação\0tail";
  EXPECT_EQ(platform().wideToAnsi(text, out, sizeof out), 7);  // 6 bytes and the NUL
  EXPECT_STREQ(out, "ação");
  EXPECT_EQ(platform().wideToAnsi(text, nullptr, 0), 7);  // counting only
}

TEST(WideToAnsi, FailsWhenItDoesNotFitWithoutWritingPastTheEnd) {
  if (testing::kWin32Surroundings) GTEST_SKIP() << testing::kAnsiIsUtf8;
  char out[8] = "xxxxxxx";
  EXPECT_EQ(platform().wideToAnsi(u"ação", out, 6), 0);
  EXPECT_EQ(platform().lastError(), kErrorInsufficientBuffer);
  EXPECT_EQ(platform().wideToAnsi(u"ação", out, 7), 7);
}

// A text without an exact 8-bit form fails rather than becoming one that
// names something else ("?" is a wildcard; a look-alike is another file).
TEST(WideToAnsi, RefusesWhatHasNoExactForm) {
  if (testing::kWin32Surroundings) GTEST_SKIP() << testing::kAnsiIsUtf8;
  char out[16] = "untouched";
  const char16_t lone[][4] = {
      {u'a', 0xD800, u'b', 0},  // a high surrogate alone
      {u'a', 0xDC00, u'b', 0},  // a low surrogate alone
      {0xDCC3, 0xDCA7, 0, 0},   // two escaped bytes that spell "ç": "ç" has its own text
  };
  for (const auto& text : lone) {
    EXPECT_EQ(platform().wideToAnsi(text, out, sizeof out), 0);
    EXPECT_EQ(platform().lastError(), kErrorNoUnicodeTranslation);
    EXPECT_EQ(platform().wideToAnsi(text, nullptr, 0), 0) << "counting refuses it too";
  }
  const char16_t pair[] = {0xD83D, 0xDE00, 0};  // one character outside the BMP
  EXPECT_EQ(platform().wideToAnsi(pair, out, sizeof out), 5);
  EXPECT_STREQ(out, "\xF0\x9F\x98\x80");
}

TEST(AnsiToWide, ConvertsExactlyNBytes) {
  if (testing::kWin32Surroundings) GTEST_SKIP() << testing::kAnsiIsUtf8;
  char16_t out[8] = {};
  EXPECT_EQ(platform().ansiToWide("ação", 6, out, 8), 4);
  EXPECT_EQ(std::u16string(out, 4), u"ação");
  EXPECT_EQ(platform().ansiToWide("a\0b", 3, out, 8), 3);  // a NUL is just a character
  EXPECT_EQ(out[1], 0);
  EXPECT_EQ(platform().ansiToWide("ação", 6, nullptr, 0), 4);
  EXPECT_EQ(platform().ansiToWide("ação", 6, out, 3), 0);
  EXPECT_EQ(platform().lastError(), kErrorInsufficientBuffer);
  EXPECT_EQ(platform().ansiToWide("x", 0, out, 8), 0);
}

// A name on disk that is not UTF-8 (Latin-1 bytes from another system) is
// carried byte for byte, and comes back as the same bytes: the host that
// passes a listed name back reaches that file.
TEST(AnsiToWide, EveryByteStringRoundTrips) {
  if (testing::kWin32Surroundings) GTEST_SKIP() << testing::kAnsiIsUtf8;
  const std::string names[] = {"relat\xF3rio.txt", "a\xE7z\xC3", "\xFF", "ação.txt"};
  for (const std::string& name : names) {
    char16_t wide[32] = {};
    const int n = platform().ansiToWide(name.c_str(), static_cast<int>(name.size()), wide, 31);
    ASSERT_GT(n, 0) << name;
    char back[64];
    EXPECT_EQ(platform().wideToAnsi(wide, back, sizeof back), static_cast<int>(name.size()) + 1);
    EXPECT_EQ(std::string(back), name);
  }
  char16_t wide[8];
  EXPECT_EQ(platform().ansiToWide("a\xE7z", 3, wide, 8), 3);
  EXPECT_EQ(wide[1], 0xDCE7) << "not U+FFFD, which every invalid byte would share";
}

}  // namespace
}  // namespace torvex
