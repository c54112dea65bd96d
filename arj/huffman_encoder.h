// Code construction for the encoder: length-limited Huffman code lengths and
// the canonical codes that the decoder derives from them.
#pragma once

#include <cstdint>

namespace torvex::arj {

constexpr int kMaxCodeSymbols = 512;

// Lengths (<= maxLength) for `n` (<= kMaxCodeSymbols) symbols from their
// frequencies; unused symbols get 0. Needs at least two used symbols; the
// result is complete.
void buildCodeLengths(const uint32_t* freq, int n, int maxLength, uint8_t* lengths);

// Canonical codes: shorter first, then by symbol index (MSB-first values).
void canonicalCodes(const uint8_t* lengths, int n, uint16_t* codes);

}  // namespace torvex::arj
