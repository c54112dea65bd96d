// Encoding of one member's data from a rewindable source into an archive.
#pragma once

#include <cstdint>

#include "arj/byte_stream.h"
#include "arj/status.h"

namespace torvex::arj {

struct EncodeResult {
  Status status = Status::Ok;
  int method = 0;  // the method actually used (0 when storing won)
  uint64_t originalSize = 0, compressedSize = 0;
  uint32_t crc = 0;
};

// Writes the member's data at the sink's position with `method` (0 to 4).
// When compression does not make the data smaller the source is rewound and
// stored; `sizeHint` (the file's size) lets a losing compression stop early.
EncodeResult encodeMember(RewindableSource& src, int method, uint64_t sizeHint, ArchiveSink& out);

}  // namespace torvex::arj
