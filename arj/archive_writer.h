// Writes an archive front to back: main header, members (new ones encoded
// from a source, existing ones copied unchanged), end marker.
#pragma once

#include <cstdint>

#include "arj/archive_reader.h"
#include "arj/byte_stream.h"
#include "arj/header.h"
#include "arj/status.h"

namespace torvex::arj {

class ArchiveWriter {
 public:
  explicit ArchiveWriter(ArchiveSink& out) : out_(out) {}

  Status begin(const MainHeader& h);
  // Encodes `src` under the header `h` (its sizes, CRC and method are filled
  // in here); method 1 to 4 falls back to 0 when that is not smaller.
  Status addMember(MemberHeader h, RewindableSource& src, int method, uint64_t sizeHint);
  // Copies the reader's current member, header and data, unchanged.
  Status copyMember(ArchiveReader& reader);
  // Writes the end marker and cuts anything a dropped attempt left behind.
  Status finish();

 private:
  Status put(const std::vector<uint8_t>& bytes);
  ArchiveSink& out_;
};

}  // namespace torvex::arj
