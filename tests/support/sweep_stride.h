// How far apart the points of a crash, power-cut or failure sweep are: every
// operation unless TORVEX_SWEEP_STRIDE names a larger step. The Windows
// stage sets it, and says so, where each point costs far more under Wine.
#pragma once

#include <cstdlib>

namespace torvex::testing {

inline long sweepStride() {
  const char* valor = std::getenv("TORVEX_SWEEP_STRIDE");
  const long passo = valor ? std::strtol(valor, nullptr, 10) : 1;
  return passo > 1 ? passo : 1;
}

// The first point of a sweep over `total` operations: halfway into the first
// step, so that a long step still cuts a call in its middle (the very first
// operation changes next to nothing), and the middle of a call shorter than
// one step.
inline long firstCut(long total) {
  const long halfway = 1 + (sweepStride() - 1) / 2;
  return halfway <= total ? halfway : (total + 1) / 2;
}

}  // namespace torvex::testing
