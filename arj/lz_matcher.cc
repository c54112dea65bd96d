#include "arj/lz_matcher.h"

#include <algorithm>

namespace torvex::arj {

LzMatcher::LzMatcher(ByteSource& src, const MatchParams& params, uint64_t sizeHint)
    : src_(src),
      params_(params),
      bufSize_(static_cast<size_t>(std::clamp<uint64_t>(sizeHint + 16, kMinBuffer, kMaxBuffer))),
      buf_(bufSize_ + 16, 0),
      head_(size_t{1} << kHashBits, kNone),
      prev_(kHistory, kNone) {}

bool LzMatcher::fill() {
  // Keep the history window; everything older leaves the buffer.
  uint64_t keepFrom = end_ > kHistory + kMaxMatch ? end_ - kHistory - kMaxMatch : 0;
  if (keepFrom > base_ && end_ - base_ > bufSize_ / 2) {
    size_t shift = static_cast<size_t>(keepFrom - base_);
    std::memmove(buf_.data(), buf_.data() + shift, static_cast<size_t>(end_ - keepFrom));
    base_ = keepFrom;
  }
  while (!eof_ && end_ - base_ < bufSize_) {
    size_t used = static_cast<size_t>(end_ - base_);
    long got = src_.read(buf_.data() + used, bufSize_ - used);
    if (got < 0) return false;
    if (got == 0) {
      eof_ = true;
      break;
    }
    crc_ = crc32Update(crc_, buf_.data() + used, static_cast<size_t>(got));
    end_ += static_cast<uint64_t>(got);
  }
  return true;
}

size_t LzMatcher::longestMatch(uint64_t pos, uint32_t cand, size_t prevLength,
                               size_t& distance) const {
  int chain = params_.maxChain;
  if (prevLength >= params_.goodLength) chain >>= 2;
  const size_t limit = std::min<uint64_t>(kMaxMatch, end_ - pos);
  const uint8_t* cur = at(pos);
  size_t best = prevLength;
  if (best >= limit) return 0;
  while (cand != kNone && cand < pos) {
    uint64_t dist = pos - cand;
    if (dist > params_.maxDistance) break;
    const uint8_t* m = at(cand);
    if (m[best] == cur[best] && m[0] == cur[0] && m[1] == cur[1]) {
      size_t len = 2;
      while (len < limit) {
        if constexpr (std::endian::native == std::endian::little) {
          uint64_t a, b;
          std::memcpy(&a, cur + len, 8);
          std::memcpy(&b, m + len, 8);
          if (uint64_t x = a ^ b) {
            len += static_cast<size_t>(std::countr_zero(x) >> 3);
            break;
          }
          len += 8;
        } else {
          if (cur[len] != m[len]) break;
          ++len;
        }
      }
      if (len > limit) len = limit;
      if (len > best) {
        best = len;
        distance = static_cast<size_t>(dist);
        if (len >= params_.niceLength || len == limit) break;
      }
    }
    if (--chain <= 0) break;
    cand = prev_[cand & (kHistory - 1)];
  }
  return best > prevLength ? best : 0;
}

}  // namespace torvex::arj
