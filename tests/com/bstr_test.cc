#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "com/com.h"

namespace {

uint32_t prefixOf(BSTR s) {
  uint32_t n;
  std::memcpy(&n, reinterpret_cast<const char*>(s) - 4, 4);
  return n;
}

TEST(Bstr, CarriesItsByteLengthBeforeTheCharacters) {
  BSTR s = SysAllocString(u"Controlador");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringLen(s), 11u);
  EXPECT_EQ(SysStringByteLen(s), 22u);
  EXPECT_EQ(prefixOf(s), 22u);
  EXPECT_EQ(s[11], 0);
  SysFreeString(s);
}

TEST(Bstr, LengthsMayHoldNulsAndNullSourcesGiveZeroes) {
  const char16_t withNul[] = {u'a', 0, u'b'};
  BSTR s = SysAllocStringLen(withNul, 3);
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(s[2], u'b');
  SysFreeString(s);
  BSTR blank = SysAllocStringLen(nullptr, 4);
  EXPECT_EQ(SysStringLen(blank), 4u);
  for (int i = 0; i <= 4; ++i) EXPECT_EQ(blank[i], 0);
  SysFreeString(blank);
}

TEST(Bstr, NullIsTheEmptyString) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
  SysFreeString(nullptr);
}

TEST(Bstr, ReallocationMayTakeItsSourceFromTheOldString) {
  BSTR s = SysAllocString(u"abcdef");
  ASSERT_TRUE(SysReAllocStringLen(&s, s + 2, 3));
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(std::u16string(s, 3), u"cde");
  ASSERT_TRUE(SysReAllocStringLen(&s, u"longer text", 11));
  EXPECT_EQ(std::u16string(s), u"longer text");
  SysFreeString(s);
  EXPECT_FALSE(SysReAllocStringLen(nullptr, u"x", 1));
}

}  // namespace
