#include "arj/buffered_input.h"

#include <cstring>

namespace torvex::arj {

bool BufferedInput::fill() {
  if (eof_) return false;
  pos_ = end_ = 0;
  long got = src_.read(buf_.data(), buf_.size());
  if (got <= 0) {
    eof_ = true;
    readError_ = got < 0;
    return false;
  }
  end_ = static_cast<size_t>(got);
  return true;
}

BufferedInput::Chunk BufferedInput::next(size_t max) {
  if (pos_ == end_ && !fill()) return {nullptr, 0};
  size_t n = end_ - pos_;
  if (n > max) n = max;
  Chunk c{buf_.data() + pos_, n};
  pos_ += n;
  consumed_ += n;
  return c;
}

Status BufferedInput::readExact(uint8_t* out, size_t n) {
  while (n > 0) {
    Chunk c = next(n);
    if (c.size == 0) return failure();
    std::memcpy(out, c.data, c.size);
    out += c.size;
    n -= c.size;
  }
  return Status::Ok;
}

}  // namespace torvex::arj
