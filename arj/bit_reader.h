// MSB-first bit reader over one member's compressed bytes. It never reads
// past the member: beyond its end it supplies zero bits and remembers that
// it did, so a stream that needed them is reported as damaged.
#pragma once

#include <cstdint>

#include "arj/buffered_input.h"

namespace torvex::arj {

class BitReader {
 public:
  BitReader(BufferedInput& in, uint64_t compressedSize) : in_(in), remaining_(compressedSize) {
    refill();
  }

  // After refill() at least 57 bits can be peeked and consumed.
  void refill() {
    if (end_ - p_ >= 8) {
      uint64_t v = 0;
      for (int i = 0; i < 8; ++i) v = v << 8 | p_[i];
      bits_ |= v >> count_;
      p_ += (63 - count_) >> 3;
      count_ |= 56;
      return;
    }
    slowRefill();
  }
  uint32_t peek(int n) const { return n == 0 ? 0 : static_cast<uint32_t>(bits_ >> (64 - n)); }
  void consume(int n) {
    bits_ <<= n;
    count_ -= n;
  }
  uint32_t get(int n) {  // n <= 32, refills as needed
    if (count_ < n) refill();
    uint32_t v = peek(n);
    consume(n);
    return v;
  }

  // True once bits beyond the member's end were consumed, or so many zero
  // bytes were padded that they must have been.
  bool overran() const { return padBytes_ * 8 > static_cast<uint64_t>(count_); }
  bool sourceFailed() const { return sourceFailed_; }
  // Unread member bytes left in the input (so the caller can skip them).
  uint64_t unreadBytes() const { return remaining_ + static_cast<uint64_t>(end_ - p_); }

 private:
  void slowRefill();
  BufferedInput& in_;
  uint64_t remaining_;
  const uint8_t* p_ = nullptr;
  const uint8_t* end_ = nullptr;
  uint64_t bits_ = 0;
  int count_ = 0;
  uint64_t padBytes_ = 0;
  bool sourceFailed_ = false;
};

}  // namespace torvex::arj
