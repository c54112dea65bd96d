#include "arj/encoder.h"

#include <algorithm>
#include <bit>
#include <memory>
#include <vector>

#include "arj/bit_writer.h"
#include "arj/crc32.h"
#include "arj/huffman_encoder.h"
#include "arj/lz_matcher.h"

namespace torvex::arj {
namespace {

// Effort settings: method 1 searches hardest, method 4 least.
constexpr MatchParams kLzhParams[3] = {
    {kWindowLzh, 56, 32, 96, 48, true},  // 1
    {kWindowLzh, 8, 4, 64, 16, false},   // 2
    {kWindowLzh, 4, 4, 32, 8, false},    // 3
};
constexpr MatchParams kFastestParams = {kWindowFastest, 8, 4, 32, 8, false};

// Symbols per block: small blocks let the codes follow the data; below
// about 4096 the table headers start to cost more than that gains.
constexpr size_t kBlockSymbols = 16384;
constexpr int kMaxCodeLengthEnc = 16;

// Stops a compression once it can no longer beat storing, or as soon as
// the data written so far shows the input does not compress (noise, packed
// or encrypted files): those are then stored at copy speed instead of being
// compressed to the end first.
struct Budget {
  const BitWriter& bw;
  uint64_t limit;
  uint64_t covered = 0;  // input bytes the written output stands for
  static constexpr uint64_t kProbe = 64 * 1024;
  bool keepGoing() const {
    const uint64_t written = bw.bytes();
    return written < limit && !(covered >= kProbe && written * 32 > covered * 31);
  }
};

void putLength(BitWriter& bw, int len) {
  if (len < 7) {
    bw.put(3, static_cast<uint32_t>(len));
  } else {
    bw.put(3, 7);
    bw.put(len - 6, (1u << (len - 6)) - 2);  // (len - 7) ones, then a zero
  }
}

// A table in the five-bit-count form; the code-length table also carries
// the two-bit zero run after its third entry.
void putPtTable(BitWriter& bw, const uint8_t* lengths, int size, bool zeroRunAfterThird) {
  int n = size;
  while (n > 0 && lengths[n - 1] == 0) --n;
  bw.put(5, static_cast<uint32_t>(n));
  for (int i = 0; i < n;) {
    putLength(bw, lengths[i++]);
    if (zeroRunAfterThird && i == 3) {
      int z = 0;
      while (z < 3 && i + z < n && lengths[i + z] == 0) ++z;
      bw.put(2, static_cast<uint32_t>(z));
      i += z;
    }
  }
}

// Lengths for a table or, with fewer than two used symbols, the single
// symbol for the degenerate form (returned; -1 when the code is real).
int prepareCode(const uint32_t* freq, int size, uint8_t* lengths, uint16_t* codes) {
  int used = 0, last = 0;
  for (int i = 0; i < size; ++i)
    if (freq[i]) ++used, last = i;
  if (used < 2) {
    std::fill_n(lengths, size, 0);
    return last;
  }
  buildCodeLengths(freq, size, kMaxCodeLengthEnc, lengths);
  canonicalCodes(lengths, size, codes);
  return -1;
}

// Prices before the first block's codes exist: about what a block of
// mixed data ends up with.
void initialLzhPrices(Prices& p) {
  std::fill_n(p.literal, 256, 8u);
  for (size_t len = kMinMatch; len <= kMaxMatch; ++len)
    p.length[len] = 3 + static_cast<uint32_t>(std::bit_width(len - 2));
  for (int j = 0; j < kNP; ++j) p.slot[j] = 4 + static_cast<uint32_t>(j < 2 ? 0 : j - 1);
}

class LzhBlockEncoder {
 public:
  explicit LzhBlockEncoder(BitWriter& bw, Budget& budget) : bw_(bw), budget_(budget) {
    initialLzhPrices(prices_);
  }
  const Prices& prices() const { return prices_; }

  void literal(uint8_t b) {
    syms_[n_] = b;
    ++freqC_[b];
    ++pendingBytes_;
    if (++n_ == kBlockSymbols) writeBlock();
  }
  void match(size_t length, size_t distance) {
    uint16_t c = static_cast<uint16_t>(length + 253);
    uint16_t p = static_cast<uint16_t>(distance - 1);
    syms_[n_] = c;
    ++freqC_[c];
    dists_[m_++] = p;
    ++freqP_[std::bit_width(p)];
    pendingBytes_ += length;
    if (++n_ == kBlockSymbols) writeBlock();
  }
  bool keepGoing() const { return budget_.keepGoing(); }
  void finish() {
    if (n_ > 0) writeBlock();
  }

 private:
  void writeBlock();
  void writeCLengths();
  void updatePrices(int singleC, int singleP);

  BitWriter& bw_;
  Budget& budget_;
  Prices prices_;
  uint16_t syms_[kBlockSymbols];
  uint16_t dists_[kBlockSymbols];
  size_t n_ = 0, m_ = 0;
  uint64_t pendingBytes_ = 0;  // input bytes of the symbols not written yet
  uint32_t freqC_[kNC] = {}, freqP_[kNP] = {};
  uint8_t lenC_[kNC], lenP_[kNP], lenT_[kNT];
  uint16_t codeC_[kNC], codeP_[kNP], codeT_[kNT];
};

void LzhBlockEncoder::writeCLengths() {
  int n = kNC;
  while (n > 0 && lenC_[n - 1] == 0) --n;
  // Run-length code the lengths into code-length symbols (with extra bits).
  struct Token {
    uint8_t sym;
    uint16_t extra;
  };
  Token tokens[kNC];
  int count = 0;
  uint32_t freqT[kNT] = {};
  for (int i = 0; i < n;) {
    if (lenC_[i] != 0) {
      tokens[count++] = {static_cast<uint8_t>(lenC_[i] + 2), 0};
      ++i;
      continue;
    }
    int run = 0;
    while (i + run < n && lenC_[i + run] == 0) ++run;
    i += run;
    if (run == 19) {
      tokens[count++] = {0, 0};
      run = 18;
    }
    if (run <= 2) {
      for (int k = 0; k < run; ++k) tokens[count++] = {0, 0};
    } else if (run <= 18) {
      tokens[count++] = {1, static_cast<uint16_t>(run - 3)};
    } else {
      tokens[count++] = {2, static_cast<uint16_t>(run - 20)};
    }
  }
  for (int k = 0; k < count; ++k) ++freqT[tokens[k].sym];
  int single = prepareCode(freqT, kNT, lenT_, codeT_);
  if (single >= 0) {
    bw_.put(5, 0);
    bw_.put(5, static_cast<uint32_t>(single));
  } else {
    putPtTable(bw_, lenT_, kNT, true);
  }
  bw_.put(9, static_cast<uint32_t>(n));
  for (int k = 0; k < count; ++k) {
    uint8_t t = tokens[k].sym;
    bw_.put(lenT_[t], codeT_[t]);
    if (t == 1) bw_.put(4, tokens[k].extra);
    if (t == 2) bw_.put(9, tokens[k].extra);
  }
}

void LzhBlockEncoder::writeBlock() {
  bw_.put(16, static_cast<uint32_t>(n_));
  int singleC = prepareCode(freqC_, kNC, lenC_, codeC_);
  if (singleC >= 0) {
    bw_.put(5, 0);  // unused code-length table
    bw_.put(5, 0);
    bw_.put(9, 0);
    bw_.put(9, static_cast<uint32_t>(singleC));
  } else {
    writeCLengths();
  }
  int singleP = prepareCode(freqP_, kNP, lenP_, codeP_);
  if (singleP >= 0) {
    bw_.put(5, 0);
    bw_.put(5, static_cast<uint32_t>(singleP));
  } else {
    putPtTable(bw_, lenP_, kNP, false);
  }
  size_t m = 0;
  for (size_t i = 0; i < n_; ++i) {
    uint16_t c = syms_[i];
    bw_.put(lenC_[c], codeC_[c]);
    if (c < 256) continue;
    uint16_t p = dists_[m++];
    int slot = std::bit_width(p);
    bw_.put(lenP_[slot], codeP_[slot]);
    if (slot >= 2) bw_.put(slot - 1, p - (1u << (slot - 1)));
  }
  updatePrices(singleC, singleP);
  budget_.covered += pendingBytes_;
  pendingBytes_ = 0;
  n_ = m_ = 0;
  std::fill_n(freqC_, kNC, 0);
  std::fill_n(freqP_, kNP, 0);
}

// The next block's codes will look much like this one's; a symbol it did not
// use is priced a little above its longest code.
void LzhBlockEncoder::updatePrices(int singleC, int singleP) {
  auto fromLengths = [](const uint8_t* lengths, int size, int single, auto&& set) {
    uint32_t longest = 0;
    for (int i = 0; i < size; ++i) longest = std::max<uint32_t>(longest, lengths[i]);
    const uint32_t unused = std::max<uint32_t>(longest, 8) + 2;
    for (int i = 0; i < size; ++i) set(i, lengths[i] ? lengths[i] : i == single ? 1 : unused);
  };
  fromLengths(lenC_, kNC, singleC, [&](int i, uint32_t bits) {
    if (i < 256) {
      prices_.literal[i] = bits;
    } else {
      prices_.length[i - 253] = bits;
    }
  });
  fromLengths(lenP_, kNP, singleP, [&](int j, uint32_t bits) {
    prices_.slot[j] = bits + static_cast<uint32_t>(j < 2 ? 0 : j - 1);
  });
}

class FastestEncoder {
 public:
  FastestEncoder(BitWriter& bw, Budget& budget) : bw_(bw), budget_(budget) {}
  void literal(uint8_t b) {
    bw_.put(9, b);
    ++budget_.covered;
  }
  void match(size_t length, size_t distance) {
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
  bool keepGoing() const { return budget_.keepGoing(); }
  void finish() {}

 private:
  BitWriter& bw_;
  Budget& budget_;
};

template <class Encoder>
EncodeResult compress(RewindableSource& src, const MatchParams& params, uint64_t sizeHint,
                      ArchiveSink& out) {
  EncodeResult r;
  BitWriter bw(out);
  Budget budget{bw, sizeHint};
  auto enc = std::make_unique<Encoder>(bw, budget);
  LzMatcher matcher(src, params, sizeHint);
  r.status = matcher.run(*enc);
  if (r.status != Status::Ok) return r;
  if (matcher.aborted()) {
    r.compressedSize = UINT64_MAX;  // lost to storing
    return r;
  }
  enc->finish();
  if (!bw.finish()) r.status = Status::WriteError;
  r.originalSize = matcher.size();
  r.compressedSize = bw.bytes();
  r.crc = matcher.crc();
  return r;
}

EncodeResult store(RewindableSource& src, ArchiveSink& out) {
  EncodeResult r;
  std::vector<uint8_t> buf(1 << 16);
  while (true) {
    long got = src.read(buf.data(), buf.size());
    if (got < 0) return r.status = Status::ReadError, r;
    if (got == 0) break;
    r.originalSize += static_cast<uint64_t>(got);
    if (r.originalSize > kMaxMemberSize) return r.status = Status::TooLarge, r;
    r.crc = crc32Update(r.crc, buf.data(), static_cast<size_t>(got));
    if (!out.write(buf.data(), static_cast<size_t>(got))) return r.status = Status::WriteError, r;
  }
  r.compressedSize = r.originalSize;
  return r;
}

}  // namespace

EncodeResult encodeMember(RewindableSource& src, int method, uint64_t sizeHint, ArchiveSink& out) {
  if (method < 0 || method > 4) return {Status::Unsupported};
  const uint64_t start = out.position();
  if (method != 0 && sizeHint > 0) {
    EncodeResult r = method == 4
                         ? compress<FastestEncoder>(src, kFastestParams, sizeHint, out)
                         : compress<LzhBlockEncoder>(src, kLzhParams[method - 1], sizeHint, out);
    if (r.status != Status::Ok) return r;
    if (r.compressedSize < r.originalSize) {
      r.method = method;
      return r;
    }
    if (!src.rewind() || !out.seek(start)) return {Status::ReadError};
  }
  return store(src, out);
}

}  // namespace torvex::arj
