// The codec's only view of the outside world: bytes come from a source and
// go to a sink. Files, memory and test doubles all fit behind these.
#pragma once

#include <cstddef>
#include <cstdint>

namespace torvex::arj {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to n bytes; 0 at the end, -1 on a read error.
  virtual long read(uint8_t* buf, size_t n) = 0;
};

// A source the writer can read twice (compress first, store if that lost).
class RewindableSource : public ByteSource {
 public:
  virtual bool rewind() = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool write(const uint8_t* buf, size_t n) = 0;  // all n bytes or false
};

// An archive being written: its headers are patched once the member's
// compressed size is known.
class ArchiveSink : public ByteSink {
 public:
  virtual uint64_t position() = 0;
  virtual bool seek(uint64_t offset) = 0;
  virtual bool truncate(uint64_t size) = 0;  // drops everything from `size` on
};

}  // namespace torvex::arj
