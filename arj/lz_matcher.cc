#include "arj/lz_matcher.h"

#include <algorithm>

namespace torvex::arj {
namespace {

uint16_t load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

// Common prefix of cur and m, both known equal in their first two bytes;
// the buffer's slack makes the 8-byte reads past `limit` safe.
size_t matchLength(const uint8_t* cur, const uint8_t* m, size_t limit) {
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
  return std::min(len, limit);
}

}  // namespace

LzMatcher::LzMatcher(ByteSource& src, const MatchParams& params, uint64_t sizeHint)
    : src_(src),
      params_(params),
      bufSize_(static_cast<size_t>(std::clamp<uint64_t>(sizeHint + 16, kMinBuffer, kMaxBuffer))) {
  // Filled afresh each time, so the output never depends on an earlier input.
  Storage& s = *storage_;
  s.buf.assign(bufSize_ + 16, 0);
  s.head.assign(size_t{1} << kHash5Bits, kNone);
  s.head4.assign(size_t{1} << kHash4Bits, kNone);
  s.head3.assign(size_t{1} << kHash3Bits, kNone);
  s.prev.assign(kHistory, kNone);
  buf_ = s.buf.data();
  tables_ = {s.head.data(), s.head4.data(), s.head3.data(), s.prev.data()};
}

bool LzMatcher::fill() {
  // Keep the history window; everything older leaves the buffer.
  uint64_t keepFrom = end_ > kHistory + kMaxMatch ? end_ - kHistory - kMaxMatch : 0;
  if (keepFrom > base_ && end_ - base_ > bufSize_ / 2) {
    size_t shift = static_cast<size_t>(keepFrom - base_);
    std::memmove(buf_, buf_ + shift, static_cast<size_t>(end_ - keepFrom));
    base_ = keepFrom;
  }
  while (!eof_ && end_ - base_ < bufSize_) {
    size_t used = static_cast<size_t>(end_ - base_);
    long got = src_.read(buf_ + used, bufSize_ - used);
    if (got < 0) return false;
    if (got == 0) {
      eof_ = true;
      break;
    }
    crc_ = crc32Update(crc_, buf_ + used, static_cast<size_t>(got));
    end_ += static_cast<uint64_t>(got);
  }
  return true;
}

// Tries the latest three- and four-byte candidates, then walks the chain of
// five-byte ones (nearest first), calling `take(length, distance)` for each
// match longer than `best`; `take` returns false to end the walk.
// A longer match than one of length L also agrees in its bytes L-5 to L, so
// once one is found the walk goes on along the chain through those bytes of
// the candidates instead: it holds the same better candidates, usually far
// fewer others, and continues from the one just found.
template <class Take>
void LzMatcher::walk(uint64_t pos, Candidates cand, size_t best, int chain, Take&& take) const {
  const size_t limit = std::min<uint64_t>(kMaxMatch, end_ - pos);
  if (best >= limit) return;
  // Locals, not members: `take` stores through references the compiler
  // cannot tell apart from them, and each reload would lengthen the chain
  // of dependent loads the walk waits on.
  const uint32_t* const prev = tables_.prev;
  const uint8_t* const buf = buf_;
  const uint64_t base = base_, maxDistance = params_.maxDistance;
  const size_t goodLength = params_.goodLength;
  const uint8_t* cur = buf + (pos - base);
  const uint16_t first2 = load16(cur);
  size_t shift = 0;            // the chain followed links the candidates' bytes `shift` on
  uint32_t next = cand.chain;  // its next link
  // A match longer than a whole hash also shares pos's bytes that end one
  // past `best`: of their chain and that of the first bytes, the walk takes
  // the one reaching back furthest, and none at all when either is empty.
  // Only a parse by price gains from reaching further back: the lazy parse
  // takes a longer match however far, which costs more than it saves on
  // data such as a database's pages.
  if (params_.byPrice && best >= kHashBytes) {
    const size_t o = best + 1 - kHashBytes;
    const uint32_t link = tables_.head[hash5(cur + o)];
    const uint64_t there = following(o, link), here = following(0, next);
    if (there == 0 || here == 0) return;
    if (there < here) shift = o, next = link;
  }
  auto tryAt = [&](uint64_t c) {
    const uint8_t* m = buf + (c - base);
    // A longer match agrees in the two bytes up to `best` and in the first
    // two (which a chain followed with a shift does not promise).
    if (load16(m + best - 1) != load16(cur + best - 1) || load16(m) != first2) return true;
    size_t len = matchLength(cur, m, limit);
    if (len <= best) return true;
    if (best < goodLength && len >= goodLength) chain = (chain + 3) / 4;
    best = len;
    if (!take(len, static_cast<size_t>(pos - c)) || len >= limit) return false;
    if (len <= kHashBytes) return true;
    // Of the chains through the candidate's bytes, the one whose next link
    // reaches back furthest skips the most; none left ends the walk. Only
    // positions before pos are linked yet.
    uint64_t furthest = following(shift, next);
    const size_t last = std::min(len - kHashBytes, static_cast<size_t>(pos - 1 - c));
    for (size_t o = last, stop = last > kShiftsTried ? last - kShiftsTried : 0; furthest != 0; --o) {
      const uint32_t link = prev[(c + o) & (kHistory - 1)];
      if (const uint64_t f = following(o, link); f < furthest) furthest = f, shift = o, next = link;
      if (o == stop) break;
    }
    return furthest != 0;
  };
  if (cand.three != kNone && pos - cand.three <= maxDistance && !tryAt(cand.three)) return;
  if (cand.four != kNone && cand.four != cand.three && pos - cand.four <= maxDistance && !tryAt(cand.four))
    return;
  while (true) {
    // One test ends the walk at the window's edge, at a chain's end (kNone)
    // and at a link before `shift`: those two wrap past pos. (Only near
    // 4 GiB can a wrapped one land inside the window, on a real position
    // that is checked like any other.)
    const uint32_t c = next - static_cast<uint32_t>(shift);
    if (pos - 1 - c >= maxDistance) return;
    next = prev[next & (kHistory - 1)];
    if (!tryAt(c) || --chain <= 0) return;
  }
}

size_t LzMatcher::longestMatch(uint64_t pos, Candidates cand, size_t prevLength,
                               size_t& distance) const {
  int chain = params_.maxChain;
  if (prevLength >= params_.goodLength) chain >>= 2;
  size_t best = 0;
  walk(pos, cand, std::max(prevLength, kMinMatch - 1), chain, [&](size_t len, size_t dist) {
    best = len;
    distance = dist;
    return len < params_.niceLength;
  });
  return best;
}

}  // namespace torvex::arj
