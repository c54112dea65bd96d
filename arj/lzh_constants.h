// Constants of the two compressed formats.
#pragma once

#include <cstddef>
#include <cstdint>

namespace torvex::arj {

constexpr int kNC = 510;  // literal/length symbols of methods 1-3
constexpr int kNP = 17;   // position slots
constexpr int kNT = 19;   // code-length symbols
constexpr size_t kWindowLzh = 26624;      // methods 1-3
constexpr size_t kWindowFastest = 15872;  // method 4
constexpr size_t kMinMatch = 3;
constexpr size_t kMaxMatch = 256;
// Sizes are 32-bit fields; the matcher also keeps positions in 32 bits.
constexpr uint64_t kMaxMemberSize = 0xFFFFFFF0u;

}  // namespace torvex::arj
