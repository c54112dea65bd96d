// A quick look at whether a stretch of input would compress, for a member
// being copied because its start did not: the bytes' own frequencies, coded
// with a Huffman code, against eight bits a byte.
#pragma once

#include <cstddef>
#include <cstdint>

namespace torvex::arj {

constexpr size_t kStretch = 64 * 1024;

// True when a code fitted to the bytes of p[0, n) would save more than its
// tables cost. Text, tables, pictures and code all pass; noise and the
// output of a compressor do not.
bool looksCompressible(const uint8_t* p, size_t n);

}  // namespace torvex::arj
