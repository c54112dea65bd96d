// When a compression should stop because storing the member will win.
#pragma once

#include <cstdint>

#include "arj/bit_writer.h"

namespace torvex::arj {

struct Budget {
  const BitWriter& bw;
  uint64_t limit;  // output size at which storing has won
  bool probe;      // give up once the first stretch shows the input does not shrink
  uint64_t covered = 0;  // input bytes the written output stands for
  bool shrunk = false;   // the output written so far beats storing its input
  static constexpr uint64_t kProbe = 64 * 1024;
  bool keepGoing() const { return bw.bytes() < limit && (!probe || covered < kProbe || shrunk); }
  // Ended by the probe rather than by the limit.
  bool probeFailed() const { return probe && covered >= kProbe && !shrunk; }
};

}  // namespace torvex::arj
