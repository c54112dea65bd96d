// Decoding of one member's data, methods 0 to 4, into a sink.
#pragma once

#include <cstdint>

#include "arj/buffered_input.h"
#include "arj/byte_stream.h"
#include "arj/status.h"

namespace torvex::arj {

struct DecodeResult {
  Status status;
  uint32_t crc;  // CRC-32 of the bytes handed to the sink
};

// Reads exactly `compressedSize` bytes from `in` (unless the input fails) and
// writes at most `originalSize` bytes to `out`. Does not check the CRC.
DecodeResult decodeMember(BufferedInput& in, int method, uint64_t compressedSize,
                          uint64_t originalSize, ByteSink& out);

}  // namespace torvex::arj
