// MSB-first bit writer with a fixed buffer flushed to a sink; it counts the
// bytes produced so the encoder can give up once storing would be smaller.
#pragma once

#include <cstddef>
#include <array>
#include <cstdint>

#include "arj/byte_stream.h"
#include "arj/reused.h"

namespace torvex::arj {

class BitWriter {
 public:
  explicit BitWriter(ByteSink& sink) : sink_(sink) {}

  void put(int n, uint32_t v) {  // n <= 32, v < 2^n
    if (n == 0) return;
    acc_ |= uint64_t(v) << (64 - count_ - n);
    count_ += n;
    if (count_ >= 32) {
      if (len_ + 4 > kBuffer) drain();
      uint32_t top = static_cast<uint32_t>(acc_ >> 32);
      buf_[len_] = static_cast<uint8_t>(top >> 24);
      buf_[len_ + 1] = static_cast<uint8_t>(top >> 16);
      buf_[len_ + 2] = static_cast<uint8_t>(top >> 8);
      buf_[len_ + 3] = static_cast<uint8_t>(top);
      len_ += 4;
      acc_ <<= 32;
      count_ -= 32;
    }
  }
  // Bytes as eight-bit codes that are the bytes themselves, a word at a time.
  void putBytes(const uint8_t* p, size_t n) {
    for (; n >= 4; p += 4, n -= 4)
      put(32, uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]);
    for (; n > 0; --n) put(8, *p++);
  }
  // Pads the last byte with zero bits and hands everything to the sink.
  bool finish() {
    while (count_ > 0) {
      if (len_ == kBuffer) drain();
      buf_[len_++] = static_cast<uint8_t>(acc_ >> 56);
      acc_ <<= 8;
      count_ = count_ > 8 ? count_ - 8 : 0;
    }
    drain();
    return ok_;
  }
  uint64_t bytes() const { return written_ + len_ + static_cast<uint64_t>((count_ + 7) / 8); }
  bool ok() const { return ok_; }

 private:
  void drain() {
    if (ok_ && len_ > 0 && !sink_.write(buf_, len_)) ok_ = false;
    written_ += len_;
    len_ = 0;
  }
  ByteSink& sink_;
  static constexpr size_t kBuffer = 1 << 16;
  Reused<std::array<uint8_t, kBuffer>> reused_;
  uint8_t* const buf_ = reused_->data();
  size_t len_ = 0;
  uint64_t acc_ = 0;
  int count_ = 0;
  uint64_t written_ = 0;
  bool ok_ = true;
};

// Stands in for a BitWriter to learn what a piece of output would cost.
struct BitCounter {
  uint64_t bits = 0;
  void put(int n, uint32_t) { bits += static_cast<uint64_t>(n); }
};

}  // namespace torvex::arj
