#include "arj/file_streams.h"

#include <cstring>

namespace torvex::arj {

bool FileSink::flush() {
  if (ok_ && len_ > 0) ok_ = f_.writeAll(buf_, len_);
  pos_ += len_;
  len_ = 0;
  return ok_;
}

bool FileSink::write(const uint8_t* p, size_t n) {
  if (len_ + n > kSize) {
    if (!flush()) return false;
    if (n >= kSize) {
      ok_ = f_.writeAll(p, n);
      pos_ += n;
      return ok_;
    }
  }
  std::memcpy(buf_ + len_, p, n);
  len_ += n;
  return ok_;
}

bool FileSink::seek(uint64_t offset) {
  if (!flush()) return false;
  ok_ = f_.seek(offset);
  pos_ = offset;
  return ok_;
}

bool FileSink::truncate(uint64_t size) { return flush() && f_.truncate(size); }

}  // namespace torvex::arj
