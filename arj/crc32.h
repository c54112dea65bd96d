// The reflected CRC-32 (polynomial 0xEDB88320) that guards every header and
// every member's decompressed bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace torvex::arj {

// Continues a running CRC: start with 0, feed chunks in order.
uint32_t crc32Update(uint32_t crc, const uint8_t* data, size_t n);

inline uint32_t crc32(const uint8_t* data, size_t n) { return crc32Update(0, data, n); }

}  // namespace torvex::arj
