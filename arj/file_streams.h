// The codec's sources and sinks over platform files, with large buffers so
// the platform is called once per 256 KiB.
#pragma once

#include <array>

#include "arj/byte_stream.h"
#include "arj/reused.h"
#include "platform/file.h"

namespace torvex::arj {

class FileSource : public RewindableSource {
 public:
  explicit FileSource(File& f) : f_(f) {}
  long read(uint8_t* buf, size_t n) override { return f_.read(buf, n); }
  bool rewind() override { return f_.seek(0); }

 private:
  File& f_;
};

// Writes through a buffer; seek and truncate flush it first. Call flush()
// before closing the file. The buffer is a kept one, left as its last user
// left it: a sink is made for every archive, most archives are small, and
// zeroing 256 KiB of fresh pages each time cost more than packing a small file.
class FileSink : public ArchiveSink {
 public:
  explicit FileSink(File& f) : f_(f) {}
  bool write(const uint8_t* p, size_t n) override;
  uint64_t position() override { return pos_ + len_; }
  bool seek(uint64_t offset) override;
  bool truncate(uint64_t size) override;
  bool flush();

 private:
  static constexpr size_t kSize = size_t{1} << 18;
  File& f_;
  Reused<std::array<uint8_t, kSize>> reused_;
  uint8_t* const buf_ = reused_->data();
  size_t len_ = 0;    // buffered bytes, to be written at pos_
  uint64_t pos_ = 0;  // file offset of the buffer's first byte
  bool ok_ = true;
};

}  // namespace torvex::arj
