#include "arj/bit_reader.h"

namespace torvex::arj {

void BitReader::slowRefill() {
  while (count_ <= 56) {
    if (p_ == end_ && remaining_ > 0) {
      auto c = in_.next(remaining_ > (1u << 20) ? (1u << 20) : static_cast<size_t>(remaining_));
      if (c.size == 0) {
        sourceFailed_ = true;
        remaining_ = 0;
      } else {
        remaining_ -= c.size;
        p_ = c.data;
        end_ = c.data + c.size;
        if (end_ - p_ >= 8) {
          refill();
          return;
        }
      }
    }
    uint8_t b = 0;
    if (p_ != end_) {
      b = *p_++;
    } else if (padBytes_ < 64) {  // saturate: only "more than the buffer holds" matters
      ++padBytes_;
    }
    bits_ |= uint64_t(b) << (56 - count_);
    count_ += 8;
  }
}

}  // namespace torvex::arj
