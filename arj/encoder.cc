#include "arj/encoder.h"

#include <array>
#include <bit>

#include "arj/bit_writer.h"
#include "arj/crc32.h"
#include "arj/encode_budget.h"
#include "arj/lz_matcher.h"
#include "arj/lzh_block_encoder.h"
#include "arj/reused.h"
#include "arj/stretch_estimate.h"

namespace torvex::arj {
namespace {

// Effort settings: method 1 searches hardest, method 4 least.
constexpr MatchParams kLzhParams[3] = {
    {kWindowLzh, 128, 64, 256, 48, true},  // 1
    {kWindowLzh, 8, 4, 64, 16, false},   // 2
    {kWindowLzh, 4, 4, 32, 8, false},    // 3
};
constexpr MatchParams kFastestParams = {kWindowFastest, 8, 4, 32, 8, false};

// Method 4 has no blocks to fall back on: the probe judges it by the bytes
// written so far.
class FastestEncoder {
 public:
  FastestEncoder(BitWriter& bw, Budget& budget) : bw_(bw), budget_(budget) {}
  void literal(uint8_t b) {
    bw_.put(9, b);
    ++budget_.covered;
  }
  void literals(const uint8_t* bytes, size_t n) {
    for (size_t i = 0; i < n; ++i) literal(bytes[i]);
  }
  void match(size_t length, size_t distance, const uint8_t*) {
    budget_.covered += length;
    uint32_t c = static_cast<uint32_t>(length - 2);
    int k = std::bit_width(c + 1) - 1;
    bw_.put(k < 7 ? k + 1 : 7, k < 7 ? (1u << (k + 1)) - 2 : 0x7F);
    bw_.put(k, c - ((1u << k) - 1));
    uint32_t p = static_cast<uint32_t>(distance - 1);
    int d = 0;
    while (d < 4 && p >= (1u << (10 + d)) - 512) ++d;
    bw_.put(d < 4 ? d + 1 : 4, d < 4 ? (1u << (d + 1)) - 2 : 0xF);
    bw_.put(9 + d, p - ((1u << (9 + d)) - 512));
  }
  bool keepGoing() const {
    budget_.shrunk = bw_.bytes() * 32 <= budget_.covered * 31;
    return budget_.keepGoing();
  }
  bool incompressible() const { return true; }
  void finish() {}

 private:
  BitWriter& bw_;
  Budget& budget_;
};

enum class Outcome { Done, Lost, ProbeFailed };

struct Compressed {
  EncodeResult r;
  Outcome outcome = Outcome::Done;
};

// `literalUntil`: input known not to compress, sent as literals unsearched.
template <class Encoder>
Compressed compress(RewindableSource& src, const MatchParams& params, uint64_t sizeHint, bool probe,
                    uint64_t literalUntil, ArchiveSink& out) {
  Compressed c;
  BitWriter bw(out);
  Budget budget{bw, sizeHint, probe};
  Encoder enc(bw, budget);
  LzMatcher matcher(src, params, sizeHint);
  c.r.status = matcher.run(enc, literalUntil);
  if (c.r.status != Status::Ok) return c;
  if (matcher.aborted()) {
    c.outcome = budget.probeFailed() ? Outcome::ProbeFailed : Outcome::Lost;
    return c;
  }
  enc.finish();
  if (!bw.finish()) c.r.status = Status::WriteError;
  c.r.originalSize = matcher.size();
  c.r.compressedSize = bw.bytes();
  c.r.crc = matcher.crc();
  if (c.r.compressedSize >= c.r.originalSize) c.outcome = Outcome::Lost;
  return c;
}

// Copies the source out. With `watch`, it stops at the first stretch that
// looks as if it would compress and says where that stretch starts
// (`compressibleAt`); the caller then compresses after all.
EncodeResult store(RewindableSource& src, ArchiveSink& out, bool watch, uint64_t& compressibleAt) {
  EncodeResult r;
  Reused<std::array<uint8_t, kStretch>> buf;
  while (true) {
    long got = src.read(buf->data(), buf->size());
    if (got < 0) return r.status = Status::ReadError, r;
    if (got == 0) break;
    if (watch && looksCompressible(buf->data(), static_cast<size_t>(got))) {
      compressibleAt = r.originalSize;
      return r;
    }
    r.originalSize += static_cast<uint64_t>(got);
    if (r.originalSize > kMaxMemberSize) return r.status = Status::TooLarge, r;
    r.crc = crc32Update(r.crc, buf->data(), static_cast<size_t>(got));
    if (!out.write(buf->data(), static_cast<size_t>(got))) return r.status = Status::WriteError, r;
  }
  r.compressedSize = r.originalSize;
  return r;
}

EncodeResult storeFromStart(RewindableSource& src, ArchiveSink& out, uint64_t start) {
  if (!src.rewind() || !out.seek(start)) return {Status::ReadError};
  uint64_t unused = 0;
  return store(src, out, false, unused);
}

// Methods 1-3. A member is compressed whole, its stretches of noise written
// as raw blocks; only when its first stretch does not shrink is it copied
// instead, while each further stretch is checked, so a member that turns
// compressible later is compressed after all, its copied start as literals.
EncodeResult encodeLzh(RewindableSource& src, const MatchParams& params, uint64_t sizeHint,
                       ArchiveSink& out) {
  const uint64_t start = out.position();
  Compressed c = compress<LzhBlockEncoder>(src, params, sizeHint, true, 0, out);
  if (c.r.status != Status::Ok) return c.r;
  if (c.outcome == Outcome::Lost) return storeFromStart(src, out, start);
  if (c.outcome == Outcome::ProbeFailed) {
    if (!src.rewind() || !out.seek(start)) return {Status::ReadError};
    uint64_t compressibleAt = UINT64_MAX;
    EncodeResult stored = store(src, out, true, compressibleAt);
    if (stored.status != Status::Ok || compressibleAt == UINT64_MAX) return stored;
    if (!src.rewind() || !out.seek(start)) return {Status::ReadError};
    c = compress<LzhBlockEncoder>(src, params, sizeHint, false, compressibleAt, out);
    if (c.r.status != Status::Ok) return c.r;
    if (c.outcome != Outcome::Done) return storeFromStart(src, out, start);
  }
  return c.r;
}

}  // namespace

EncodeResult encodeMember(RewindableSource& src, int method, uint64_t sizeHint, ArchiveSink& out) {
  if (method < 0 || method > 4) return {Status::Unsupported};
  const uint64_t start = out.position();
  uint64_t unused = 0;
  if (method == 0 || sizeHint == 0) return store(src, out, false, unused);
  if (method != 4) {
    EncodeResult r = encodeLzh(src, kLzhParams[method - 1], sizeHint, out);
    if (r.status == Status::Ok && r.compressedSize < r.originalSize) r.method = method;
    return r;
  }
  Compressed c = compress<FastestEncoder>(src, kFastestParams, sizeHint, true, 0, out);
  if (c.r.status != Status::Ok) return c.r;
  if (c.outcome != Outcome::Done) return storeFromStart(src, out, start);
  c.r.method = 4;
  return c.r;
}

}  // namespace torvex::arj
