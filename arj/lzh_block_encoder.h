// Methods 1-3: the parse's symbols gathered into blocks. Each block is
// written with Huffman codes of its own or, when those cost more than the
// bytes it stands for, as a raw block: every literal coded in eight bits
// that are the byte itself, behind a header of a few bytes. Stretches of
// noise or packed data inside a member thus cost next to nothing more than
// storing them, while the rest of the member is compressed.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "arj/bit_writer.h"
#include "arj/encode_budget.h"
#include "arj/lz_matcher.h"
#include "arj/lzh_constants.h"
#include "arj/reused.h"

namespace torvex::arj {

class LzhBlockEncoder {
 public:
  LzhBlockEncoder(BitWriter& bw, Budget& budget);
  const Prices& prices() const { return prices_; }
  // Before the first block's codes exist, literals are priced by the
  // frequencies of the bytes about to be parsed, p[0, n).
  void seedPrices(const uint8_t* p, size_t n);

  void literal(uint8_t b) {
    syms_[n_] = b;
    if (spanLen_ < kMaxRawBlock) span_[spanLen_] = b;
    ++spanLen_;
    added();
  }
  // Input known not to compress: whole raw blocks wherever a block would
  // start anyway, so it costs no search, no planning and no per-byte work.
  void literals(const uint8_t* bytes, size_t n) {
    while (n > 0) {
      if (n_ == 0 && n >= kMaxRawBlock) {
        writeRawBytes(bytes, kMaxRawBlock);
        budget_.covered += kMaxRawBlock;
        lastRaw_ = true;
        bytes += kMaxRawBlock, n -= kMaxRawBlock;
        continue;
      }
      literal(*bytes++);
      --n;
    }
  }
  // `bytes` are the `length` input bytes the match stands for.
  void match(size_t length, size_t distance, const uint8_t* bytes) {
    uint16_t c = static_cast<uint16_t>(length + 253);
    uint16_t p = static_cast<uint16_t>(distance - 1);
    syms_[n_] = c;
    dists_[m_++] = p;
    if (spanLen_ + length <= kMaxRawBlock) std::memcpy(span_ + spanLen_, bytes, length);
    spanLen_ += length;
    added();
  }
  bool keepGoing() const { return budget_.keepGoing(); }
  // The last block was raw: the data does not compress here.
  bool incompressible() const { return lastRaw_; }
  void finish() {
    if (n_ > 0) writeBlock();
  }

  // Symbols gathered before they are written, as one block or, where the
  // data changes inside, as halves, quarters... down to kMinBlock symbols,
  // whichever costs fewest bits.
  static constexpr size_t kBlockSymbols = 16384;
  static constexpr size_t kMinBlock = 2048;
  // Symbols after which the first block prices the parse by its own counts:
  // the seeded guess misleads on data that repeats much (few, rare literals).
  static constexpr size_t kEarlyPrices = 4096;
  static constexpr size_t kMaxRawBlock = 65535;  // a block counts its symbols in 16 bits

 private:
  struct Token {  // one code-length symbol of the literal/length table, with its extra bits
    uint8_t sym;
    uint16_t extra;
  };
  // A run of the gathered symbols: where it starts among the symbols, the
  // distances and the input, and how it is best written.
  struct Piece {
    size_t begin = 0, end = 0, firstMatch = 0, spanBegin = 0, spanLen = 0;
    bool raw = false;
  };
  // A piece's symbol counts.
  struct Counts {
    uint32_t c[kNC], p[kNP];
    size_t matches() const;
    size_t inputBytes() const;  // what the piece stands for
  };
  // A piece the plan settled on, with the counts its codes are built from.
  struct Chosen {
    Piece piece;
    Counts counts;
  };
  void writeBlock();
  uint64_t plan(Piece piece, Counts& counts, std::vector<Chosen>& out);
  uint64_t cost(Piece& piece, const Counts& counts);
  static uint64_t rawBits(const Piece& piece);
  void count(const Piece& piece, Counts& counts) const;
  void buildLengths(const Counts& counts);
  void buildCodes(const Counts& counts);  // lengths and codes
  template <class W>
  void writeTables(W& w, size_t symbols) const;
  void writeSymbols(const Piece& piece);
  void writeRaw(const Piece& piece) { writeRawBytes(span_ + piece.spanBegin, piece.spanLen); }
  void writeRawBytes(const uint8_t* bytes, size_t n);
  void updatePrices();
  // The first block's prices, until its codes exist, from its symbols so far.
  void earlyPrices();
  void added() {
    if (++n_ == kBlockSymbols) {
      writeBlock();
    } else if (n_ == kEarlyPrices && firstBlock_) {
      earlyPrices();
    }
  }

  struct Gathered {
    uint16_t syms[kBlockSymbols];
    uint16_t dists[kBlockSymbols];
    uint8_t span[kMaxRawBlock];  // the block's input, while it could still be written raw
  };

  BitWriter& bw_;
  Budget& budget_;
  Prices prices_;
  Reused<Gathered> gathered_;
  uint16_t* const syms_ = gathered_->syms;
  uint16_t* const dists_ = gathered_->dists;
  uint8_t* const span_ = gathered_->span;
  size_t n_ = 0, m_ = 0;
  size_t spanLen_ = 0;          // input bytes of the block's symbols
  bool lastRaw_ = false;
  bool firstBlock_ = true;
  std::vector<Chosen> chosen_;
  Counts counts_;
  // The block's codes; single* is the one symbol of a degenerate code, or -1.
  uint8_t lenC_[kNC], lenP_[kNP], lenT_[kNT];
  uint16_t codeC_[kNC], codeP_[kNP], codeT_[kNT];
  int singleC_ = -1, singleP_ = -1, singleT_ = -1, sentC_ = 0;
  Token tokens_[kNC];
  int tokenCount_ = 0;
};

}  // namespace torvex::arj
