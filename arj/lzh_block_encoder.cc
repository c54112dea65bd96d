#include "arj/lzh_block_encoder.h"

#include <algorithm>

#include "arj/huffman_encoder.h"

namespace torvex::arj {
namespace {

constexpr int kMaxCodeLengthEnc = 16;
// A raw block's literal/length table: 256 lengths of 8, each sent as
// code-length symbol 10 through a one-symbol code that costs no bits.
constexpr uint32_t kRawLengthSymbol = 8 + 2;
constexpr uint64_t kRawHeaderBits = 16 + 10 + 9 + 10;  // count, three tables

template <class W>
void putLength(W& w, int len) {
  if (len < 7) {
    w.put(3, static_cast<uint32_t>(len));
  } else {
    w.put(3, 7);
    w.put(len - 6, (1u << (len - 6)) - 2);  // (len - 7) ones, then a zero
  }
}

// A table in the five-bit-count form; the code-length table also carries
// the two-bit zero run after its third entry.
template <class W>
void putPtTable(W& w, const uint8_t* lengths, int size, bool zeroRunAfterThird) {
  int n = size;
  while (n > 0 && lengths[n - 1] == 0) --n;
  w.put(5, static_cast<uint32_t>(n));
  for (int i = 0; i < n;) {
    putLength(w, lengths[i++]);
    if (zeroRunAfterThird && i == 3) {
      int z = 0;
      while (z < 3 && i + z < n && lengths[i + z] == 0) ++z;
      w.put(2, static_cast<uint32_t>(z));
      i += z;
    }
  }
}

template <class W>
void putPtTableOrSingle(W& w, const uint8_t* lengths, int size, int single, bool zeroRunAfterThird) {
  if (single >= 0) {
    w.put(5, 0);
    w.put(5, static_cast<uint32_t>(single));
  } else {
    putPtTable(w, lengths, size, zeroRunAfterThird);
  }
}

// Lengths for a table or, with fewer than two used symbols, the single
// symbol for the degenerate form (returned; -1 when the code is real).
int prepareLengths(const uint32_t* freq, int size, uint8_t* lengths) {
  int used = 0, last = 0;
  for (int i = 0; i < size; ++i)
    if (freq[i]) ++used, last = i;
  if (used < 2) {
    std::fill_n(lengths, size, 0);
    return last;
  }
  buildCodeLengths(freq, size, kMaxCodeLengthEnc, lengths);
  return -1;
}

// Prices before the first block's codes exist: about what a block of
// mixed data ends up with.
void initialPrices(Prices& p) {
  std::fill_n(p.literal, 256, 8u);
  p.literalsSet();
  for (size_t len = kMinMatch; len <= kMaxMatch; ++len)
    p.length[len] = 3 + static_cast<uint32_t>(std::bit_width(len - 2));
  for (int j = 0; j < kNP; ++j) p.slot[j] = 4 + static_cast<uint32_t>(j < 2 ? 0 : j - 1);
}

uint32_t extraBits(int slot) { return slot >= 2 ? static_cast<uint32_t>(slot - 1) : 0; }

}  // namespace

LzhBlockEncoder::LzhBlockEncoder(BitWriter& bw, Budget& budget) : bw_(bw), budget_(budget) {
  initialPrices(prices_);
}

void LzhBlockEncoder::seedPrices(const uint8_t* p, size_t n) {
  constexpr size_t kSample = 32768;
  n = std::min(n, kSample);
  uint32_t freq[256];
  std::fill_n(freq, 256, 1);  // a byte not seen yet still gets a code
  for (size_t i = 0; i < n; ++i) freq[p[i]] += 4;
  uint8_t lengths[256];
  buildCodeLengths(freq, 256, kMaxCodeLengthEnc, lengths);
  // Matches take the commonest strings away, so the literals left over are
  // rarer than the bytes were: one bit more.
  for (int b = 0; b < 256; ++b) prices_.literal[b] = lengths[b] + 1u;
  prices_.literalsSet();
}

// Code lengths for the block, and the literal/length lengths run-length
// coded into code-length symbols: all that pricing a block needs.
void LzhBlockEncoder::buildLengths(const Counts& counts) {
  singleC_ = prepareLengths(counts.c, kNC, lenC_);
  singleP_ = prepareLengths(counts.p, kNP, lenP_);
  tokenCount_ = 0;
  sentC_ = kNC;
  while (sentC_ > 0 && lenC_[sentC_ - 1] == 0) --sentC_;
  uint32_t freqT[kNT] = {};
  for (int i = 0; i < sentC_;) {
    if (lenC_[i] != 0) {
      tokens_[tokenCount_++] = {static_cast<uint8_t>(lenC_[i] + 2), 0};
      ++i;
      continue;
    }
    int run = 0;
    while (i + run < sentC_ && lenC_[i + run] == 0) ++run;
    i += run;
    if (run == 19) {
      tokens_[tokenCount_++] = {0, 0};
      run = 18;
    }
    if (run <= 2) {
      for (int k = 0; k < run; ++k) tokens_[tokenCount_++] = {0, 0};
    } else if (run <= 18) {
      tokens_[tokenCount_++] = {1, static_cast<uint16_t>(run - 3)};
    } else {
      tokens_[tokenCount_++] = {2, static_cast<uint16_t>(run - 20)};
    }
  }
  for (int k = 0; k < tokenCount_; ++k) ++freqT[tokens_[k].sym];
  singleT_ = prepareLengths(freqT, kNT, lenT_);
}

void LzhBlockEncoder::buildCodes(const Counts& counts) {
  buildLengths(counts);
  canonicalCodes(lenC_, kNC, codeC_);
  canonicalCodes(lenP_, kNP, codeP_);
  canonicalCodes(lenT_, kNT, codeT_);
}

template <class W>
void LzhBlockEncoder::writeTables(W& w, size_t symbols) const {
  w.put(16, static_cast<uint32_t>(symbols));
  if (singleC_ >= 0) {
    w.put(5, 0);  // unused code-length table
    w.put(5, 0);
    w.put(9, 0);
    w.put(9, static_cast<uint32_t>(singleC_));
  } else {
    putPtTableOrSingle(w, lenT_, kNT, singleT_, true);
    w.put(9, static_cast<uint32_t>(sentC_));
    for (int k = 0; k < tokenCount_; ++k) {
      uint8_t t = tokens_[k].sym;
      w.put(lenT_[t], codeT_[t]);
      if (t == 1) w.put(4, tokens_[k].extra);
      if (t == 2) w.put(9, tokens_[k].extra);
    }
  }
  putPtTableOrSingle(w, lenP_, kNP, singleP_, false);
}

size_t LzhBlockEncoder::Counts::matches() const {
  size_t n = 0;
  for (int j = 0; j < kNP; ++j) n += p[j];
  return n;
}

size_t LzhBlockEncoder::Counts::inputBytes() const {
  size_t n = 0;
  for (int k = 0; k < kNC; ++k) n += size_t{c[k]} * (k < 256 ? 1 : k - 253);
  return n;
}

void LzhBlockEncoder::count(const Piece& piece, Counts& counts) const {
  std::fill_n(counts.c, kNC, 0);
  std::fill_n(counts.p, kNP, 0);
  size_t m = piece.firstMatch;
  for (size_t i = piece.begin; i < piece.end; ++i) {
    const uint16_t c = syms_[i];
    ++counts.c[c];
    if (c >= 256) ++counts.p[std::bit_width(dists_[m++])];
  }
}

uint64_t LzhBlockEncoder::rawBits(const Piece& piece) { return kRawHeaderBits + 8 * uint64_t{piece.spanLen}; }

// Bits of the piece written the cheaper way, which it remembers.
uint64_t LzhBlockEncoder::cost(Piece& piece, const Counts& counts) {
  buildLengths(counts);
  BitCounter tables;
  writeTables(tables, piece.end - piece.begin);
  uint64_t coded = tables.bits;
  for (int c = 0; c < kNC; ++c) coded += uint64_t{counts.c[c]} * lenC_[c];
  for (int j = 0; j < kNP; ++j) coded += uint64_t{counts.p[j]} * (lenP_[j] + extraBits(j));
  const uint64_t raw = rawBits(piece);
  piece.raw = piece.spanBegin + piece.spanLen <= kMaxRawBlock && raw <= coded;
  return piece.raw ? raw : coded;
}

// The cheapest way to write the piece: whole, or its two halves each
// written their cheapest way. Appends the pieces chosen to `out`, and fills
// `counts` and the piece's input length in: a piece's counts are its halves'
// summed, so each symbol is counted once, in the smallest pieces.
uint64_t LzhBlockEncoder::plan(Piece piece, Counts& counts, std::vector<Chosen>& out) {
  if (piece.end - piece.begin < 2 * kMinBlock) {
    count(piece, counts);
    piece.spanLen = counts.inputBytes();
    out.push_back({piece, counts});
    return cost(out.back().piece, counts);
  }
  const size_t mark = out.size();
  Piece left = piece, right = piece;
  left.end = right.begin = piece.begin + (piece.end - piece.begin) / 2;
  uint64_t halves = plan(left, counts, out);
  // The left half's counts tell where the right half's matches and input start.
  right.firstMatch = piece.firstMatch + counts.matches();
  right.spanBegin = piece.spanBegin + counts.inputBytes();
  Counts rightCounts;
  halves += plan(right, rightCounts, out);
  for (int k = 0; k < kNC; ++k) counts.c[k] += rightCounts.c[k];
  for (int j = 0; j < kNP; ++j) counts.p[j] += rightCounts.p[j];
  piece.spanLen = counts.inputBytes();
  // Halves that both went raw go raw as one, a header fewer, without
  // building the whole's codes: data that beat them in neither half seldom
  // does across both, and such stretches are where planning costs most.
  const bool bothRaw = out.size() == mark + 2 && out[mark].piece.raw && out[mark + 1].piece.raw;
  piece.raw = bothRaw && piece.spanBegin + piece.spanLen <= kMaxRawBlock;
  const uint64_t whole = piece.raw ? rawBits(piece) : cost(piece, counts);
  if (halves < whole) return halves;
  out.resize(mark);
  out.push_back({piece, counts});
  return whole;
}

void LzhBlockEncoder::writeSymbols(const Piece& piece) {
  size_t m = piece.firstMatch;
  for (size_t i = piece.begin; i < piece.end; ++i) {
    uint16_t c = syms_[i];
    bw_.put(lenC_[c], codeC_[c]);
    if (c < 256) continue;
    // The position's code and its extra bits (the bits below the top one) in one go.
    const uint32_t p = dists_[m++];
    const int slot = std::bit_width(p);
    const int extra = static_cast<int>(extraBits(slot));
    bw_.put(lenP_[slot] + extra, uint32_t{codeP_[slot]} << extra | (p & ((1u << extra) - 1)));
  }
}

void LzhBlockEncoder::writeRawBytes(const uint8_t* bytes, size_t n) {
  bw_.put(16, static_cast<uint32_t>(n));
  bw_.put(5, 0);
  bw_.put(5, kRawLengthSymbol);
  bw_.put(9, 256);
  bw_.put(5, 0);  // no matches: a one-symbol position code
  bw_.put(5, 0);
  bw_.putBytes(bytes, n);
}

void LzhBlockEncoder::earlyPrices() {
  Piece gathered;
  gathered.end = n_;
  count(gathered, counts_);
  buildLengths(counts_);
  updatePrices();
}

void LzhBlockEncoder::writeBlock() {
  firstBlock_ = false;
  chosen_.clear();
  Piece all;
  all.end = n_;
  plan(all, counts_, chosen_);
  for (const auto& [piece, counts] : chosen_) {
    lastRaw_ = piece.raw;
    if (piece.raw) {
      writeRaw(piece);
      continue;
    }
    buildCodes(counts);
    writeTables(bw_, piece.end - piece.begin);
    writeSymbols(piece);
    budget_.shrunk = true;
  }
  // Prices from the codes of the last piece, the nearest to what follows.
  if (lastRaw_) buildLengths(chosen_.back().counts);
  updatePrices();
  budget_.covered += spanLen_;
  n_ = m_ = spanLen_ = 0;
}

// The next block's codes will look much like this one's; a symbol it did not
// use is priced a little above its longest code.
void LzhBlockEncoder::updatePrices() {
  auto fromLengths = [](const uint8_t* lengths, int size, int single, auto&& set) {
    uint32_t longest = 0;
    for (int i = 0; i < size; ++i) longest = std::max<uint32_t>(longest, lengths[i]);
    const uint32_t unused = std::max<uint32_t>(longest, 8) + 2;
    for (int i = 0; i < size; ++i) set(i, lengths[i] ? lengths[i] : i == single ? 1 : unused);
  };
  fromLengths(lenC_, kNC, singleC_, [&](int i, uint32_t bits) {
    if (i < 256) {
      prices_.literal[i] = bits;
    } else {
      prices_.length[i - 253] = bits;
    }
  });
  fromLengths(lenP_, kNP, singleP_, [&](int j, uint32_t bits) { prices_.slot[j] = bits + extraBits(j); });
  prices_.literalsSet();
}

}  // namespace torvex::arj
