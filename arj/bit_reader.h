// MSB-first bit reader over one member's compressed bytes. It never reads
// past the member: beyond its end it supplies zero bits and remembers that
// it did, so a stream that needed them is reported as damaged.
#pragma once

#include <cstdint>

#include "arj/buffered_input.h"

namespace torvex::arj {

// The bit buffer and the buffered bytes it refills from.
struct BitBuffer {
  uint64_t bits = 0;
  int count = 0;
  const uint8_t* p = nullptr;
  const uint8_t* end = nullptr;

  bool canRefillFast() const { return end - p >= 8; }
  // Tops the buffer up to 56..63 bits; needs canRefillFast().
  void fastRefill() {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = v << 8 | p[i];
    bits |= v >> count;
    p += (63 - count) >> 3;
    count |= 56;
  }
};

// Peeking, consuming and the fast refill, shared by the reader and its hot
// copy; `Self` provides buffer() and slowRefill().
template <class Self>
class BitAccess {
 public:
  // After refill() at least 57 bits can be peeked and consumed.
  void refill() {
    if (buf().canRefillFast()) {
      buf().fastRefill();
      return;
    }
    static_cast<Self&>(*this).slowRefill();
  }
  uint32_t peek(int n) const { return n == 0 ? 0 : static_cast<uint32_t>(buf().bits >> (64 - n)); }
  void consume(int n) {
    buf().bits <<= n;
    buf().count -= n;
  }
  // Refills only when fewer than n (<= 57) bits are buffered, which keeps
  // the refill off most symbols' path.
  void need(int n) {
    if (buf().count < n) refill();
  }
  uint32_t get(int n) {  // n <= 32, refills as needed
    need(n);
    uint32_t v = peek(n);
    consume(n);
    return v;
  }

 private:
  BitBuffer& buf() { return static_cast<Self&>(*this).buffer(); }
  const BitBuffer& buf() const { return static_cast<const Self&>(*this).buffer(); }
};

class BitReader : public BitAccess<BitReader> {
 public:
  BitReader(BufferedInput& in, uint64_t compressedSize) : in_(in), remaining_(compressedSize) {
    refill();
  }

  // True once bits beyond the member's end were consumed, or so many zero
  // bytes were padded that they must have been.
  bool overran() const { return padBytes_ * 8 > static_cast<uint64_t>(b_.count); }
  bool sourceFailed() const { return sourceFailed_; }
  // Unread member bytes left in the input (so the caller can skip them).
  uint64_t unreadBytes() const { return remaining_ + static_cast<uint64_t>(b_.end - b_.p); }

  class Hot;

 private:
  friend class BitAccess<BitReader>;
  BitBuffer& buffer() { return b_; }
  const BitBuffer& buffer() const { return b_; }
  void slowRefill();
  BufferedInput& in_;
  uint64_t remaining_;
  BitBuffer b_;
  uint64_t padBytes_ = 0;
  bool sourceFailed_ = false;
};

// The reader's bit buffer copied out for a hot loop. The loop's byte stores
// may alias the reader, which would send its buffer through memory on every
// symbol; a copy whose address is never taken stays in registers. The reader
// is stale until the destructor hands the buffer back; the rare slow refill
// goes through the reader.
class BitReader::Hot : public BitAccess<Hot> {
 public:
  explicit Hot(BitReader& r) : r_(r), b_(r.b_) {}
  ~Hot() { r_.b_ = b_; }
  Hot(const Hot&) = delete;
  Hot& operator=(const Hot&) = delete;

 private:
  friend class BitAccess<Hot>;
  void slowRefill() {
    r_.b_ = b_;
    r_.slowRefill();
    b_ = r_.b_;
  }
  BitBuffer& buffer() { return b_; }
  const BitBuffer& buffer() const { return b_; }
  BitReader& r_;
  BitBuffer b_;
};

}  // namespace torvex::arj
