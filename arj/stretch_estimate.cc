#include "arj/stretch_estimate.h"

#include "arj/huffman_encoder.h"

namespace torvex::arj {

bool looksCompressible(const uint8_t* p, size_t n) {
  // The first block's worth of bytes stands for the stretch: counting them
  // all would cost a good part of copying them.
  constexpr size_t kSample = 16384;
  if (n > kSample) n = kSample;
  // Four counters per byte value keep the increments from waiting on each other.
  uint32_t count[4][256] = {};
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    ++count[0][p[i]];
    ++count[1][p[i + 1]];
    ++count[2][p[i + 2]];
    ++count[3][p[i + 3]];
  }
  for (; i < n; ++i) ++count[0][p[i]];
  uint32_t freq[256];
  int used = 0;
  uint64_t squares = 0;
  for (int b = 0; b < 256; ++b) {
    freq[b] = count[0][b] + count[1][b] + count[2][b] + count[3][b];
    used += freq[b] != 0;
    squares += uint64_t{freq[b]} * freq[b];
  }
  if (used < 2) return n > 64;
  // Noise: the sum of squared counts is n^2/256 + n, give or take a few
  // tenths of a percent. A code cannot save what it costs until that sum is
  // some percent above; below two percent, building one is not worth it.
  const uint64_t uniform = uint64_t{n} * n / 256 + n;
  if (squares * 50 < uniform * 51) return false;
  uint8_t lengths[256];
  buildCodeLengths(freq, 256, 16, lengths);
  uint64_t bits = 0;
  for (int b = 0; b < 256; ++b) bits += uint64_t{freq[b]} * lengths[b];
  constexpr uint64_t kTableBits = 600;  // about what a block's tables cost
  return bits + kTableBits < 8 * uint64_t{n};
}

}  // namespace torvex::arj
