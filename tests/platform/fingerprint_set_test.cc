#include "platform/fingerprint_set.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace torvex {
namespace {

// Keys as a weak hash gives them: consecutive, or differing only high up.
uint64_t keyAt(uint64_t i, bool high) { return high ? i << 40 : i; }

TEST(FingerprintSet, HeldKeysAreAlwaysPerhapsAndOthersAlmostNeverAre) {
  for (bool high : {false, true}) {
    SCOPED_TRACE(high ? "keys apart in their upper bits" : "consecutive keys");
    constexpr uint64_t kHeld = 100000;
    FingerprintSet s;
    for (uint64_t i = 0; i < kHeld; ++i) s.add(keyAt(i, high));
    EXPECT_EQ(s.size(), kHeld);
    for (uint64_t i = 0; i < kHeld; ++i) ASSERT_TRUE(s.mayHold(keyAt(i, high))) << i;
    // An unseen key is a "perhaps" when its 32-bit fingerprint is one held:
    // some 23 in these million.
    size_t perhaps = 0;
    for (uint64_t i = kHeld; i < 11 * kHeld; ++i) perhaps += s.mayHold(keyAt(i, high));
    EXPECT_LT(perhaps, 60u);
  }
}

// Names folding alike share a key: each is held until the last goes.
TEST(FingerprintSet, AKeyAddedTwiceIsHeldUntilRemovedTwice) {
  FingerprintSet s;
  EXPECT_FALSE(s.mayHold(7));
  EXPECT_FALSE(s.remove(7));
  s.add(7);
  s.add(7);
  s.add(8);
  EXPECT_TRUE(s.remove(7));
  EXPECT_TRUE(s.mayHold(7));
  EXPECT_TRUE(s.remove(7));
  EXPECT_FALSE(s.mayHold(7));
  EXPECT_FALSE(s.remove(7));
  EXPECT_TRUE(s.mayHold(8));
  EXPECT_EQ(s.size(), 1u);
}

// A directory emptied and filled again many times over keeps what it holds
// exact through the table's rebuilds.
TEST(FingerprintSet, ChurnKeepsTheLiveKeysExactly) {
  FingerprintSet s(10);
  for (uint64_t round = 0; round < 50; ++round) {
    for (uint64_t i = 0; i < 1000; ++i) s.add(round * 1000 + i);
    for (uint64_t i = 0; i < 1000; ++i) {
      if (i % 10 != 0) {
        ASSERT_TRUE(s.remove(round * 1000 + i));
      }
    }
  }
  EXPECT_EQ(s.size(), 5000u);
  for (uint64_t k = 0; k < 50000; ++k) ASSERT_EQ(s.mayHold(k), k % 10 == 0) << k;
}

}  // namespace
}  // namespace torvex
