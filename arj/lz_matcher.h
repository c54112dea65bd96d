// LZ77 parsers over hash chains, shared by both compressed formats: greedy
// with lazy evaluation, and a price-driven shortest-path parse. The input
// streams through a fixed buffer that keeps 32 KiB of history; chain length
// and the parse span are bounded, so time per byte and memory are bounded.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "arj/byte_stream.h"
#include "arj/crc32.h"
#include "arj/lzh_constants.h"
#include "arj/reused.h"
#include "arj/status.h"

namespace torvex::arj {

struct MatchParams {
  size_t maxDistance;
  int maxChain;        // candidates looked at per position
  size_t goodLength;   // a previous match this long quarters the search
  size_t niceLength;   // a match this long ends the search (and, parsing by price, is taken)
  size_t maxLazy;      // a previous match this long is taken without looking further
  bool byPrice;        // shortest-path parse by the emitter's prices instead of lazy
};

// Bits each symbol is expected to cost, as the emitter's codes stand.
struct Prices {
  uint32_t literal[256];
  uint32_t cheapestLiteral;        // the least of literal[]; literalsSet() updates it
  uint32_t length[kMaxMatch + 1];  // by match length
  uint32_t slot[kNP];              // by position slot of distance - 1, extra bits included
  uint32_t match(size_t length, size_t distance) const {
    return this->length[length] + slot[std::bit_width(distance - 1)];
  }
  void literalsSet() { cheapestLiteral = *std::min_element(literal, literal + 256); }
};

class LzMatcher {
 public:
  // `sizeHint` only sizes the input buffer; any input length is handled.
  LzMatcher(ByteSource& src, const MatchParams& params, uint64_t sizeHint);
  LzMatcher(const LzMatcher&) = delete;
  LzMatcher& operator=(const LzMatcher&) = delete;

  // Parses the whole source. `emit` has literal(uint8_t),
  // literals(const uint8_t* bytes, size_t n),
  // match(size_t length, size_t distance, const uint8_t* bytes),
  // keepGoing() (checked now and then; false aborts with Status::Ok and
  // aborted() true) and incompressible() (true: search sparsely in long
  // runs of literals). Parsing by price needs emit.prices() and
  // emit.seedPrices(bytes, n) too.
  // The input before `literalUntil` goes out as literals, unsearched.
  template <class Emit>
  Status run(Emit& emit, uint64_t literalUntil = 0) {
    literalUntil_ = literalUntil;
    if constexpr (requires { emit.prices(); })
      if (params_.byPrice) return runByPrice(emit);
    return runLazy(emit);
  }

  uint32_t crc() const { return crc_; }
  uint64_t size() const { return end_; }
  bool aborted() const { return aborted_; }

 private:
  static constexpr size_t kHistory = 32768;
  static constexpr size_t kMinBuffer = 1 << 17;  // room to slide: twice history + matches
  static constexpr size_t kMaxBuffer = 1 << 20;
  // Chains link positions by their first five bytes, so a walk meets few
  // candidates that match only three or four; the latest position of each
  // three- and four-byte hash is kept apart for the shortest matches (the
  // nearest is the cheapest of its length).
  static constexpr size_t kHashBytes = 5;
  static constexpr int kHash5Bits = 16;
  static constexpr int kHash4Bits = 15;
  static constexpr int kHash3Bits = 14;
  static constexpr uint32_t kNone = 0xFFFFFFFFu;
  static constexpr size_t kSparseAfter = 256;
  static constexpr size_t kShiftsTried = 8;

  bool fill();  // false on read error
  const uint8_t* at(uint64_t pos) const { return buf_ + (pos - base_); }
  struct Candidates {
    uint32_t chain, four, three;  // the previous head of pos's chain, the latest same-four and -three-byte positions
  };
  // The bytes at p, p[0] lowest: the first five, all a hash takes, and on
  // little-endian hosts three more.
  static uint64_t firstBytes(const uint8_t* p) {
    uint64_t v = 0;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(&v, p, 8);  // the buffer's slack makes reading past the end safe
    } else {
      for (int i = 4; i >= 0; --i) v = v << 8 | p[i];
    }
    return v;
  }
  // Shifted up, the bytes beyond the first n drop out.
  template <size_t n, int bits>
  static uint32_t hashOf(uint64_t v) {
    return static_cast<uint32_t>(((v << (64 - 8 * n)) * 0x9E3779B97F4A7C15ull) >> (64 - bits));
  }
  static uint32_t hash5(const uint8_t* p) { return hashOf<kHashBytes, kHash5Bits>(firstBytes(p)); }
  // The tables as plain pointers, so a loop over many positions keeps them in
  // registers instead of reloading them around every store.
  struct Tables {
    uint32_t *head, *head4, *head3, *prev;
    // Links pos, whose first bytes are p[0..kHashBytes); returns what it found.
    Candidates insert(uint64_t pos, const uint8_t* p) const {
      const uint64_t v = firstBytes(p);
      const uint32_t h3 = hashOf<3, kHash3Bits>(v), h4 = hashOf<4, kHash4Bits>(v);
      const uint32_t h5 = hashOf<kHashBytes, kHash5Bits>(v);
      Candidates c{head[h5], head4[h4], head3[h3]};
      prev[pos & (kHistory - 1)] = c.chain;
      head[h5] = head4[h4] = head3[h3] = static_cast<uint32_t>(pos);
      return c;
    }
  };
  Tables tables() const { return tables_; }
  // Needs kHashBytes bytes at pos.
  Candidates insert(uint64_t pos) { return tables().insert(pos, at(pos)); }
  // Links the positions of [from, to) that have kHashBytes bytes buffered.
  void insertRange(uint64_t from, uint64_t to) {
    const Tables t = tables();
    const uint64_t last = std::min(to, end_ - std::min<uint64_t>(end_, kHashBytes - 1));
    const uint8_t* p = at(from);
    for (uint64_t pos = from; pos < last; ++pos, ++p) t.insert(pos, p);
  }
  // The candidate a link on the chain of the bytes `o` on stands for, plus
  // one; 0 at the chain's end or for a link before o.
  static uint64_t following(size_t o, uint32_t link) {
    return link == kNone || link < o ? uint64_t{0} : uint64_t{link} - o + 1;
  }
  template <class Take>
  void walk(uint64_t pos, Candidates cand, size_t best, int chain, Take&& take) const;
  size_t longestMatch(uint64_t pos, Candidates cand, size_t prevLength, size_t& distance) const;
  // Refills when fewer than a longest match plus a hash remain buffered.
  Status ensureLookahead(uint64_t pos) {
    if (!eof_ && end_ - pos < kMaxMatch + kMinMatch && !fill()) return Status::ReadError;
    return end_ > kMaxMemberSize ? Status::TooLarge : Status::Ok;
  }
  // Sends the input from pos up to literalUntil_, as far as it is buffered.
  template <class Emit>
  void sendLiterals(Emit& emit, uint64_t& pos) {
    const uint64_t n = std::min(literalUntil_, end_) - pos;
    emit.literals(at(pos), static_cast<size_t>(n));
    pos += n;
  }
  template <class Emit>
  Status runLazy(Emit& emit);
  template <class Emit>
  Status runByPrice(Emit& emit);

  struct Storage {
    std::vector<uint8_t> buf;
    std::vector<uint32_t> head, head4, head3, prev;
  };

  ByteSource& src_;
  MatchParams params_;
  size_t bufSize_;
  Reused<Storage> storage_;
  // The storage's arrays as plain pointers: one load each, not two.
  uint8_t* buf_ = nullptr;
  Tables tables_{};
  uint64_t literalUntil_ = 0;
  uint64_t base_ = 0, end_ = 0;  // stream offsets of buf_[0] and of the end of data
  bool eof_ = false, aborted_ = false;
  uint32_t crc_ = 0;
};

template <class Emit>
Status LzMatcher::runLazy(Emit& emit) {
  uint64_t pos = 0;
  size_t prevLength = 0, prevDistance = 0;
  bool pendingLiteral = false;
  uint64_t nextCheck = 0;
  size_t literalRun = 0;
  while (true) {
    if (Status s = ensureLookahead(pos); s != Status::Ok) return s;
    if (pos >= end_) break;
    if (pos >= nextCheck) {
      if (!emit.keepGoing()) {
        aborted_ = true;
        return Status::Ok;
      }
      nextCheck = pos + 65536;
    }
    if (pos < literalUntil_) {
      sendLiterals(emit, pos);
      continue;
    }
    size_t length = 0, distance = 0;
    // After a long run without matches where the output does not shrink
    // (noise, packed data) only every fourth position is looked up: such
    // stretches cost a fraction of the search.
    const bool search = literalRun < kSparseAfter || !emit.incompressible() || (pos & 3) == 0;
    if (search && end_ - pos >= kHashBytes) {
      Candidates cand = insert(pos);
      if (prevLength < params_.maxLazy) {
        length = longestMatch(pos, cand, prevLength, distance);
        // A minimum-length match far back costs more than three literals.
        if (length == kMinMatch && distance > 4096) length = 0;
      }
    }
    if (prevLength >= kMinMatch && length <= prevLength) {
      emit.match(prevLength, prevDistance, at(pos - 1));
      // The match started at pos - 1; pos is already hashed.
      uint64_t last = pos - 1 + prevLength;
      insertRange(pos + 1, last);
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

// Lazy evaluation that weighs matches by the bits they save at the
// emitter's current prices instead of by length: a short match far back
// that costs more than its literals is not taken, and the match at the next
// position wins when it saves more, whatever their lengths.
template <class Emit>
Status LzMatcher::runByPrice(Emit& emit) {
  uint64_t pos = 0, nextCheck = 0, hashed = 0;  // positions below `hashed` are in the chains
  size_t literalRun = 0;
  bool seeded = false;
  // The longest match at p longer than `shorter` when it saves bits, else
  // length 0. Its bytes' prices are summed only until they pass the match's own.
  auto search = [&](uint64_t p, const Prices& price, size_t shorter, size_t& length, size_t& distance) {
    length = 0;
    if (end_ - p < kHashBytes) return;
    size_t found = longestMatch(p, insert(p), shorter, distance);
    hashed = p + 1;
    if (found == 0) return;
    const uint32_t cost = price.match(found, distance);
    // No literal is cheaper than the cheapest: that settles most long matches.
    if (found * price.cheapestLiteral > cost) {
      length = found;
      return;
    }
    uint32_t literals = 0;
    for (const uint8_t *b = at(p), *e = b + found; b < e && literals <= cost; ++b) literals += price.literal[*b];
    if (literals > cost) length = found;
  };
  // Sum of the literal prices of [from, to).
  auto literalBits = [&](const Prices& price, uint64_t from, uint64_t to) {
    int32_t bits = 0;
    for (const uint8_t *b = at(from), *e = at(to); b < e; ++b) bits += static_cast<int32_t>(price.literal[*b]);
    return bits;
  };
  while (true) {
    if (Status s = ensureLookahead(pos); s != Status::Ok) return s;
    if (pos >= end_) return Status::Ok;
    if (pos >= nextCheck) {
      if (!emit.keepGoing()) {
        aborted_ = true;
        return Status::Ok;
      }
      nextCheck = pos + 65536;
    }
    if (pos < literalUntil_) {
      sendLiterals(emit, pos);
      continue;
    }
    if (!seeded) {
      emit.seedPrices(at(pos), static_cast<size_t>(end_ - pos));
      seeded = true;
    }
    const Prices& price = emit.prices();
    size_t length = 0, distance = 0;
    // After a long run without matches where the output does not shrink
    // (noise, packed data) only every fourth position is looked up: such
    // stretches cost a fraction of the search.
    if (literalRun < kSparseAfter || !emit.incompressible() || (pos & 3) == 0)
      search(pos, price, 0, length, distance);
    if (length == 0) {
      emit.literal(*at(pos++));
      ++literalRun;
      continue;
    }
    // The match at the next position wins when it saves more bits, less
    // two bits for each byte it reaches further: the bytes beyond the
    // shorter match are usually matched anyway, not sent as literals. What
    // it saves beyond this one: their prices' difference, less the literal
    // at pos, plus the bytes it covers past this one's end (or less those
    // it stops short by). Only one at least as long is looked for: a
    // shorter one seldom wins (by a much nearer distance alone), and the
    // length lets the walk follow the chain of the bytes it must reach,
    // usually far sparser than that of its first bytes.
    while (length < params_.maxLazy) {
      if (Status s = ensureLookahead(pos + 1); s != Status::Ok) return s;
      size_t nextLength, nextDistance;
      search(pos + 1, price, length - 1, nextLength, nextDistance);
      if (nextLength == 0) break;
      const uint64_t end = pos + length, nextEnd = pos + 1 + nextLength;
      const int32_t more = static_cast<int32_t>(price.match(length, distance)) -
                           static_cast<int32_t>(price.match(nextLength, nextDistance)) -
                           static_cast<int32_t>(price.literal[*at(pos)]) +
                           (nextEnd >= end ? literalBits(price, end, nextEnd) : -literalBits(price, nextEnd, end));
      if (more <= 2 * (static_cast<int64_t>(nextEnd) - static_cast<int64_t>(end))) break;
      emit.literal(*at(pos++));
      length = nextLength, distance = nextDistance;
    }
    emit.match(length, distance, at(pos));
    insertRange(std::max(hashed, pos + 1), pos + length);
    pos += length;
    hashed = std::max(hashed, pos);
    literalRun = 0;
  }
}

}  // namespace torvex::arj
