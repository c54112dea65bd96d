// Greedy-with-lazy-evaluation LZ77 parser over hash chains, shared by both
// compressed formats. The input streams through a fixed buffer that keeps
// 32 KiB of history; chain length is bounded, so time per byte is bounded.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "arj/byte_stream.h"
#include "arj/crc32.h"
#include "arj/lzh_constants.h"
#include "arj/status.h"

namespace torvex::arj {

struct MatchParams {
  size_t maxDistance;
  int maxChain;        // candidates looked at per position
  size_t goodLength;   // a previous match this long quarters the search
  size_t niceLength;   // a match this long ends the search
  size_t maxLazy;      // a previous match this long is taken without looking further
};

class LzMatcher {
 public:
  // `sizeHint` only sizes the input buffer; any input length is handled.
  LzMatcher(ByteSource& src, const MatchParams& params, uint64_t sizeHint);

  // Parses the whole source. `emit` has literal(uint8_t) and
  // match(size_t length, size_t distance) and keepGoing() (checked now and
  // then; false aborts with Status::Ok and aborted() true).
  template <class Emit>
  Status run(Emit& emit);

  uint32_t crc() const { return crc_; }
  uint64_t size() const { return end_; }
  bool aborted() const { return aborted_; }

 private:
  static constexpr size_t kHistory = 32768;
  static constexpr size_t kMinBuffer = 1 << 17;  // room to slide: twice history + matches
  static constexpr size_t kMaxBuffer = 1 << 20;
  static constexpr int kHashBits = 15;
  static constexpr uint32_t kNone = 0xFFFFFFFFu;
  static constexpr size_t kSparseAfter = 256;

  bool fill();  // false on read error
  uint32_t hashAt(uint64_t pos) const {
    const uint8_t* p = at(pos);
    uint32_t v = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    return (v * 2654435761u) >> (32 - kHashBits);
  }
  const uint8_t* at(uint64_t pos) const { return buf_.data() + (pos - base_); }
  uint32_t insert(uint64_t pos) {  // returns the previous head of its chain
    uint32_t h = hashAt(pos);
    uint32_t old = head_[h];
    prev_[pos & (kHistory - 1)] = old;
    head_[h] = static_cast<uint32_t>(pos);
    return old;
  }
  size_t longestMatch(uint64_t pos, uint32_t cand, size_t prevLength, size_t& distance) const;

  ByteSource& src_;
  MatchParams params_;
  size_t bufSize_;
  std::vector<uint8_t> buf_;
  std::vector<uint32_t> head_, prev_;
  uint64_t base_ = 0, end_ = 0;  // stream offsets of buf_[0] and of the end of data
  bool eof_ = false, aborted_ = false;
  uint32_t crc_ = 0;
};

template <class Emit>
Status LzMatcher::run(Emit& emit) {
  uint64_t pos = 0;
  size_t prevLength = 0, prevDistance = 0;
  bool pendingLiteral = false;
  uint64_t nextCheck = 0;
  size_t literalRun = 0;
  while (true) {
    if (!eof_ && end_ - pos < kMaxMatch + kMinMatch && !fill()) return Status::ReadError;
    if (end_ > kMaxMemberSize) return Status::TooLarge;
    if (pos >= end_) break;
    if (pos >= nextCheck) {
      if (!emit.keepGoing()) {
        aborted_ = true;
        return Status::Ok;
      }
      nextCheck = pos + 65536;
    }
    size_t length = 0, distance = 0;
    // After a long run without matches (noise, packed data) only every
    // fourth position is looked up: the fallback to storing stays exact,
    // and incompressible input costs a fraction of the search.
    const bool search = literalRun < kSparseAfter || (pos & 3) == 0;
    if (search && end_ - pos >= kMinMatch) {
      uint32_t cand = insert(pos);
      if (cand != kNone && prevLength < params_.maxLazy) {
        length = longestMatch(pos, cand, prevLength, distance);
        // A minimum-length match far back costs more than three literals.
        if (length == kMinMatch && distance > 4096) length = 0;
      }
    }
    if (prevLength >= kMinMatch && length <= prevLength) {
      emit.match(prevLength, prevDistance);
      // The match started at pos - 1; pos is already hashed.
      uint64_t last = pos - 1 + prevLength;
      for (uint64_t p = pos + 1; p < last; ++p)
        if (end_ - p >= kMinMatch) insert(p);
      pos = last;
      pendingLiteral = false;
      prevLength = 0;
      literalRun = 0;
      continue;
    }
    if (pendingLiteral) {
      emit.literal(*at(pos - 1));
      ++literalRun;
    }
    pendingLiteral = true;
    prevLength = length;
    prevDistance = distance;
    ++pos;
  }
  if (pendingLiteral) emit.literal(*at(pos - 1));
  return Status::Ok;
}

}  // namespace torvex::arj
