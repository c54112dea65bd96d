#include "arj/decoder.h"

#include <algorithm>
#include <bit>

#include "arj/bit_reader.h"
#include "arj/huffman_decoder.h"
#include "arj/lzh_constants.h"
#include "arj/output_window.h"

namespace torvex::arj {
namespace {

// Copies `len` bytes from `dist` back; overlapping copies repeat the pattern.
inline void copyMatch(uint8_t* out, size_t& pos, size_t dist, size_t len) {
  uint8_t* d = out + pos;
  const uint8_t* s = d - dist;
  pos += len;
  if (dist >= 8) {
    // The window keeps slack past the chunk, so whole 8-byte steps are safe.
    for (size_t i = 0; i < len; i += 8) std::memcpy(d + i, s + i, 8);
  } else {
    for (size_t i = 0; i < len; ++i) d[i] = s[i];
  }
}

Status streamHealth(const BitReader& br) {
  if (br.sourceFailed()) return Status::Truncated;
  return br.overran() ? Status::BadData : Status::Ok;
}

// Literals and lengths take 12 bits at once, positions and code lengths 8.
using LiteralDecoder = HuffmanDecoder<12>;
using SmallDecoder = HuffmanDecoder<8>;

class LzhDecoder {
 public:
  explicit LzhDecoder(BitReader& br) : br_(br) {}

  Status readBlockHeader(uint32_t& blockSize) {
    blockSize = br_.get(16);
    if (blockSize == 0) return Status::BadData;
    if (!readPtLengths(t_, kNT, 5, true) || !readCLengths() || !readPtLengths(p_, kNP, 5, false))
      return Status::BadData;
    return br_.overran() ? Status::BadData : Status::Ok;
  }

  const LiteralDecoder& c() const { return c_; }
  const SmallDecoder& p() const { return p_; }

 private:
  bool readPtLengths(SmallDecoder& table, int size, int countBits, bool zeroRunAfterThird) {
    int n = static_cast<int>(br_.get(countBits));
    if (n == 0) {
      int s = static_cast<int>(br_.get(countBits));
      if (s >= size) return false;
      table.setSingle(s);
      return true;
    }
    if (n > size) return false;
    uint8_t lengths[kNT] = {};
    int i = 0;
    while (i < n) {
      int len = static_cast<int>(br_.get(3));
      if (len == 7) {
        while (br_.get(1) == 1) {
          if (++len > kMaxCodeLength) return false;
        }
      }
      lengths[i++] = static_cast<uint8_t>(len);
      if (zeroRunAfterThird && i == 3) {
        i += static_cast<int>(br_.get(2));
        if (i > size) return false;
      }
    }
    return table.build(lengths, size);
  }

  bool readCLengths() {
    int n = static_cast<int>(br_.get(9));
    if (n == 0) {
      int s = static_cast<int>(br_.get(9));
      if (s >= kNC) return false;
      c_.setSingle(s);
      return true;
    }
    if (n > kNC) return false;
    uint8_t lengths[kNC] = {};
    int i = 0;
    while (i < n) {
      br_.refill();
      int t = t_.decode(br_);
      int run;
      if (t == 0) {
        run = 1;
      } else if (t == 1) {
        run = static_cast<int>(br_.get(4)) + 3;
      } else if (t == 2) {
        run = static_cast<int>(br_.get(9)) + 20;
      } else {
        lengths[i++] = static_cast<uint8_t>(t - 2);
        continue;
      }
      if (run > n - i) return false;
      i += run;  // lengths are already zero
    }
    return c_.build(lengths, kNC);
  }

  BitReader& br_;
  LiteralDecoder c_;
  SmallDecoder p_, t_;
};

Status decodeLzh(BitReader& br, OutputWindow& w, uint64_t originalSize) {
  LzhDecoder dec(br);
  uint32_t blockLeft = 0;
  uint8_t* out = w.data();
  while (w.total() < originalSize) {
    if (blockLeft == 0) {
      if (Status s = dec.readBlockHeader(blockLeft); s != Status::Ok) return s;
    }
    // Decode straight into the window until it fills, the block ends or the
    // member is complete: the hot loop checks only counters. A match may run
    // past the fill mark into the window's slack, never past the member.
    const uint64_t base = w.total() - w.pos;  // member offset of data()[0]
    const uint64_t end = originalSize - base;
    const size_t stop = static_cast<size_t>(std::min<uint64_t>(w.fillMark, end));
    size_t pos = w.pos;
    const LiteralDecoder& c = dec.c();
    const SmallDecoder& p = dec.p();
    {
      BitReader::Hot bits(br);
      while (pos < stop && blockLeft > 0) {
        --blockLeft;
        bits.need(kMaxCodeLength);
        int sym = c.decode(bits);
        if (sym < 256) {
          out[pos++] = static_cast<uint8_t>(sym);
          continue;
        }
        size_t len = static_cast<size_t>(sym - 253);
        bits.need(kMaxCodeLength);
        int slot = p.decode(bits);
        size_t dist = slot <= 1 ? static_cast<size_t>(slot)
                                : (size_t{1} << (slot - 1)) + bits.get(slot - 1);
        ++dist;
        if (dist > kWindowLzh || dist > base + pos) return Status::BadData;
        copyMatch(out, pos, dist, static_cast<size_t>(std::min<uint64_t>(len, end - pos)));
      }
    }
    w.pos = pos;
    if (Status s = streamHealth(br); s != Status::Ok) return s;
    if (w.full() && !w.flush()) return Status::WriteError;
  }
  return Status::Ok;
}

Status decodeFastest(BitReader& br, OutputWindow& w, uint64_t originalSize) {
  uint8_t* out = w.data();
  while (w.total() < originalSize) {
    const uint64_t base = w.total() - w.pos;
    const uint64_t end = originalSize - base;
    const size_t stop = static_cast<size_t>(std::min<uint64_t>(w.fillMark, end));
    size_t pos = w.pos;
    {
      BitReader::Hot bits(br);
      while (pos < stop) {
        bits.refill();
        // Up to 7 one-bits select the length class; the 0 that ends a shorter
        // prefix is consumed with it.
        int k = std::countl_one(static_cast<uint8_t>(bits.peek(7) << 1));
        bits.consume(k < 7 ? k + 1 : 7);
        uint32_t code = (1u << k) - 1 + bits.get(k);
        if (code == 0) {
          out[pos++] = static_cast<uint8_t>(bits.get(8));
          continue;
        }
        size_t len = code + 2;
        int d = std::countl_one(static_cast<uint8_t>(bits.peek(4) << 4));
        bits.consume(d < 4 ? d + 1 : 4);
        size_t dist = (size_t{1} << (9 + d)) - 512 + bits.get(9 + d) + 1;
        if (dist > base + pos) return Status::BadData;
        copyMatch(out, pos, dist, static_cast<size_t>(std::min<uint64_t>(len, end - pos)));
      }
    }
    w.pos = pos;
    if (Status s = streamHealth(br); s != Status::Ok) return s;
    if (w.full() && !w.flush()) return Status::WriteError;
  }
  return Status::Ok;
}

DecodeResult decodeStored(BufferedInput& in, uint64_t size, ByteSink& out) {
  uint32_t crc = 0;
  bool writeFailed = false;
  Status s = in.skip(size, [&](const uint8_t* p, size_t n) {
    crc = crc32Update(crc, p, n);
    if (!writeFailed && !out.write(p, n)) writeFailed = true;
  });
  if (writeFailed) return {Status::WriteError, crc};
  return {s, crc};
}

}  // namespace

DecodeResult decodeMember(BufferedInput& in, int method, uint64_t compressedSize,
                          uint64_t originalSize, ByteSink& out) {
  if (method == 0) {
    if (compressedSize != originalSize) return {Status::BadHeader, 0};
    return decodeStored(in, compressedSize, out);
  }
  if (method < 1 || method > 4) return {Status::Unsupported, 0};
  OutputWindow w(out, originalSize);
  BitReader br(in, compressedSize);
  Status s = method == 4 ? decodeFastest(br, w, originalSize) : decodeLzh(br, w, originalSize);
  if (s == Status::Ok && !w.flush()) s = Status::WriteError;
  if (s == Status::Ok) s = streamHealth(br);
  // Leave the input at the next header whatever happened.
  if (s != Status::Truncated && s != Status::ReadError) {
    Status skipped = in.skip(br.unreadBytes(), [](const uint8_t*, size_t) {});
    if (s == Status::Ok) s = skipped;
  }
  return {s, w.crc()};
}

}  // namespace torvex::arj
