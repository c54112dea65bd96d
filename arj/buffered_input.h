// A fixed read buffer over a ByteSource: header fields are read byte-exact
// and member data is handed out in chunks, never more than asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "arj/byte_stream.h"
#include "arj/status.h"

namespace torvex::arj {

class BufferedInput {
 public:
  explicit BufferedInput(ByteSource& src, size_t capacity = 1 << 16)
      : src_(src), buf_(capacity) {}

  // Exactly n bytes, or Truncated / ReadError.
  Status readExact(uint8_t* out, size_t n);
  // Up to `max` bytes that are already buffered (refilling first when none
  // are); an empty chunk means the source ended. `status()` tells why.
  struct Chunk {
    const uint8_t* data;
    size_t size;
  };
  Chunk next(size_t max);
  // Skips n bytes, calling `visit` on each chunk passed over.
  template <class Visit>
  Status skip(uint64_t n, Visit&& visit) {
    while (n > 0) {
      Chunk c = next(n > buf_.size() ? buf_.size() : static_cast<size_t>(n));
      if (c.size == 0) return failure();
      visit(c.data, c.size);
      n -= c.size;
    }
    return Status::Ok;
  }
  uint64_t offset() const { return consumed_; }  // bytes taken so far
  Status failure() const { return readError_ ? Status::ReadError : Status::Truncated; }

 private:
  bool fill();
  ByteSource& src_;
  std::vector<uint8_t> buf_;
  size_t pos_ = 0, end_ = 0;
  uint64_t consumed_ = 0;
  bool eof_ = false, readError_ = false;
};

}  // namespace torvex::arj
