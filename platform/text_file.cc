#include "platform/text_file.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace torvex {

std::string textBytes(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8 + 2);
  for (char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

bool writeText(File& f, std::string_view text) {
  const std::string out = textBytes(text);
  return f.writeAll(out.data(), out.size());
}

long TextReader::fill() {
  if (f_) return f_->read(buf_, sizeof buf_);
  const size_t n = std::min(memory_.size(), sizeof buf_);
  std::memcpy(buf_, memory_.data(), n);
  memory_.remove_prefix(n);
  return static_cast<long>(n);
}

int TextReader::getByte() {
  if (pos_ == len_) {
    if (eof_) return -1;
    len_ = fill();
    pos_ = 0;
    if (len_ <= 0) {
      len_ = 0;
      eof_ = true;
      return -1;
    }
  }
  return buf_[pos_++];
}

bool TextReader::getLine(char* out, size_t capacity) {
  if (capacity == 0) return false;
  size_t n = 0;
  while (n + 1 < capacity) {
    int c = getByte();
    if (c < 0) break;
    if (c == '\r') {
      int d = getByte();
      if (d == '\n') {
        c = '\n';
      } else if (d >= 0) {
        --pos_;  // not part of a CR LF pair: keep it for the next read
      }
    }
    out[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  out[n] = '\0';
  return n > 0;
}

}  // namespace torvex
