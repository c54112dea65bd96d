#include "arj/bit_reader.h"

namespace torvex::arj {

void BitReader::slowRefill() {
  while (b_.count <= 56) {
    if (b_.p == b_.end && remaining_ > 0) {
      auto c = in_.next(remaining_ > (1u << 20) ? (1u << 20) : static_cast<size_t>(remaining_));
      if (c.size == 0) {
        sourceFailed_ = true;
        remaining_ = 0;
      } else {
        remaining_ -= c.size;
        b_.p = c.data;
        b_.end = c.data + c.size;
        if (b_.end - b_.p >= 8) {
          refill();
          return;
        }
      }
    }
    uint8_t b = 0;
    if (b_.p != b_.end) {
      b = *b_.p++;
    } else if (padBytes_ < 64) {  // saturate: only "more than the buffer holds" matters
      ++padBytes_;
    }
    b_.bits |= uint64_t(b) << (56 - b_.count);
    b_.count += 8;
  }
}

}  // namespace torvex::arj
