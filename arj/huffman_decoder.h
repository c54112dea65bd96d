// Table-driven canonical Huffman decoder: one lookup of `primaryBits` bits
// for short codes, a second fixed-size lookup for codes up to 16 bits.
// Only complete codes are accepted.
#pragma once

#include <cstdint>
#include <vector>

#include "arj/bit_reader.h"

namespace torvex::arj {

constexpr int kMaxCodeLength = 16;

class HuffmanDecoder {
 public:
  explicit HuffmanDecoder(int primaryBits);

  // Builds from code lengths (0 = unused, each <= 16). False when the code
  // is incomplete or oversubscribed.
  bool build(const uint8_t* lengths, int count);
  // Every lookup yields `symbol` and consumes no bits.
  void setSingle(int symbol);

  // The caller has refilled the reader (>= 16 bits available).
  template <class Bits>
  int decode(Bits& br) const {
    uint32_t e = table_[br.peek(primaryBits_)];
    if (e & kSubFlag) {
      uint32_t sub = (e >> 16) + (br.peek(kMaxCodeLength) & subMask_);
      e = table_[sub];
    }
    br.consume(static_cast<int>(e & 0xFF));
    return static_cast<int>(e >> 16);
  }

 private:
  static constexpr uint32_t kSubFlag = 0x8000;
  int primaryBits_;
  uint32_t subMask_;
  std::vector<uint32_t> table_;  // primary entries, then the secondary tables
};

}  // namespace torvex::arj
