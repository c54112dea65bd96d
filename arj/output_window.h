// Decoder output: a fixed buffer that keeps the last 32 KiB as match history
// and hands everything older to the sink, updating the CRC on the way.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "arj/byte_stream.h"
#include "arj/crc32.h"

namespace torvex::arj {

class OutputWindow {
 public:
  static constexpr size_t kHistory = 32768;  // covers both methods' windows
  static constexpr size_t kChunk = 1 << 18;
  static constexpr size_t kMaxMatch = 256;

  // `expected` (the member's size) only keeps the buffer small for small members.
  OutputWindow(ByteSink& sink, uint64_t expected)
      : fillMark(kHistory + static_cast<size_t>(std::clamp<uint64_t>(expected, 1, kChunk))),
        sink_(sink),
        buf_(fillMark + kMaxMatch + 16) {}

  uint8_t* data() { return buf_.data(); }
  size_t pos = 0;          // next byte to write in data()
  uint64_t produced = 0;   // bytes of the member produced before data()[flushed_]
  const size_t fillMark;  // flush once pos reaches it
  bool full() const { return pos >= fillMark; }
  uint64_t total() const { return produced + (pos - flushed_); }
  // Hands out the pending bytes and keeps the history; false on a sink error.
  bool flush();
  uint32_t crc() const { return crc_; }

 private:
  ByteSink& sink_;
  std::vector<uint8_t> buf_;
  size_t flushed_ = 0;
  uint32_t crc_ = 0;
};

inline bool OutputWindow::flush() {
  size_t n = pos - flushed_;
  if (n > 0) {
    crc_ = crc32Update(crc_, buf_.data() + flushed_, n);
    if (!sink_.write(buf_.data() + flushed_, n)) return false;
    produced += n;
  }
  if (pos > kHistory) {
    std::memmove(buf_.data(), buf_.data() + pos - kHistory, kHistory);
    pos = kHistory;
  }
  flushed_ = pos;
  return true;
}

}  // namespace torvex::arj
