// Table-driven canonical Huffman decoder: one lookup of `kPrimaryBits` bits
// for short codes, a second fixed-size lookup for codes up to 16 bits.
// Only complete codes are accepted. The primary width is a constant so that
// the lookup in the hot loops shifts by an immediate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace torvex::arj {

constexpr int kMaxCodeLength = 16;

template <int kPrimaryBits>
class HuffmanDecoder {
 public:
  HuffmanDecoder() { setSingle(0); }

  // Builds from code lengths (0 = unused, each <= 16). False when the code
  // is incomplete or oversubscribed.
  bool build(const uint8_t* lengths, int count);
  // Every lookup yields `symbol` and consumes no bits.
  void setSingle(int symbol) {
    table_.assign(size_t{1} << kPrimaryBits, static_cast<uint32_t>(symbol) << 16);
  }

  // The caller has refilled the reader (>= 16 bits available).
  template <class Bits>
  int decode(Bits& br) const {
    uint32_t e = table_[br.peek(kPrimaryBits)];
    if (e & kSubFlag) {
      uint32_t sub = (e >> 16) + (br.peek(kMaxCodeLength) & kSubMask);
      e = table_[sub];
    }
    br.consume(static_cast<int>(e & 0xFF));
    return static_cast<int>(e >> 16);
  }

 private:
  static constexpr uint32_t kSubFlag = 0x8000;
  static constexpr uint32_t kSubMask = (1u << (kMaxCodeLength - kPrimaryBits)) - 1;
  std::vector<uint32_t> table_;  // primary entries, then the secondary tables
};

// The widths the decoders use: literals and lengths, positions and code lengths.
extern template class HuffmanDecoder<12>;
extern template class HuffmanDecoder<8>;

}  // namespace torvex::arj
