// The encoder's code lengths: complete, within the limit, optimal when the
// limit does not bind, and the same for the same counts whatever their size
// (the symbol order among equal counts decides which code is shorter, and
// the output must not depend on how the counts were sorted).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <queue>
#include <random>
#include <vector>

#include "arj/huffman_encoder.h"

namespace torvex::arj {
namespace {

struct Table {
  const char* kind;
  int symbols;
  uint32_t low, high;  // counts drawn from [low, high], a quarter of symbols unused
};

// Bits of an unlimited Huffman code: the sum of its merged weights.
uint64_t huffmanBits(const std::vector<uint32_t>& freq) {
  std::priority_queue<uint64_t, std::vector<uint64_t>, std::greater<>> q;
  for (uint32_t f : freq)
    if (f) q.push(f);
  uint64_t bits = 0;
  while (q.size() > 1) {
    uint64_t a = q.top();
    q.pop();
    uint64_t b = q.top();
    q.pop();
    bits += a + b;
    q.push(a + b);
  }
  return bits;
}

TEST(CodeLengths, CompleteLimitedOrderedAndOptimal) {
  const Table tables[] = {
      {"few ties", 510, 1, 3},          {"block counts", 510, 1, 16384},
      {"above 16 bits", 300, 60000, 70000}, {"above 24 bits", 40, 1, 40000000},
      {"two symbols", 2, 5, 9},         {"skewed to the limit", 510, 1, 1u << 30},
  };
  std::mt19937 rng(2026);
  int optimalChecked = 0;
  for (const Table& t : tables) {
    for (int round = 0; round < 20; ++round) {
      SCOPED_TRACE(std::string(t.kind) + " round " + std::to_string(round));
      std::vector<uint32_t> freq(t.symbols);
      std::uniform_int_distribution<uint32_t> count(t.low, t.high);
      for (uint32_t& f : freq) f = rng() % 4 == 0 ? 0 : count(rng);
      freq[0] = freq[0] ? freq[0] : t.low;  // at least two used
      freq[1] = freq[1] ? freq[1] : t.low;
      if (t.high == (1u << 30))  // exponential counts force depths past 16
        for (int i = 0; i < t.symbols; ++i) freq[i] = freq[i] ? 1u << (i % 31) : 0;
      std::vector<uint8_t> len(t.symbols, 99);
      buildCodeLengths(freq.data(), t.symbols, 16, len.data());

      uint64_t kraft = 0, bits = 0;  // in units of 2^-16
      for (int i = 0; i < t.symbols; ++i) {
        if (freq[i] == 0) {
          EXPECT_EQ(len[i], 0) << i;
          continue;
        }
        ASSERT_GE(len[i], 1) << i;
        ASSERT_LE(len[i], 16) << i;
        kraft += uint64_t{1} << (16 - len[i]);
        bits += uint64_t{freq[i]} * len[i];
      }
      EXPECT_EQ(kraft, uint64_t{1} << 16);
      // A more frequent symbol, or of equal count a later one, never has a longer code.
      for (int a = 0; a < t.symbols; ++a) {
        for (int b = 0; b < t.symbols; ++b) {
          if (freq[a] && freq[b] && (freq[a] > freq[b] || (freq[a] == freq[b] && a > b))) {
            ASSERT_LE(len[a], len[b]) << a << " " << b;
          }
        }
      }
      // Below the limit nothing was folded: the code is a Huffman code.
      if (*std::max_element(len.begin(), len.end()) < 16) {
        EXPECT_EQ(bits, huffmanBits(freq));
        ++optimalChecked;
      }
    }
  }
  EXPECT_GT(optimalChecked, 60);
}

}  // namespace
}  // namespace torvex::arj
