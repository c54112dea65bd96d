// Sources and sinks over memory, for callers that hold the bytes already
// (tests, fuzzers, small tools).
#pragma once

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "arj/byte_stream.h"

namespace torvex::arj {

class MemorySource : public RewindableSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  long read(uint8_t* buf, size_t n) override {
    n = std::min(n, bytes_.size() - pos_);
    n = std::min<size_t>(n, 1 << 30);
    std::memcpy(buf, bytes_.data() + pos_, n);
    pos_ += n;
    return static_cast<long>(n);
  }
  bool rewind() override {
    pos_ = 0;
    return true;
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

class MemorySink : public ArchiveSink {
 public:
  bool write(const uint8_t* p, size_t n) override {
    if (pos_ + n > bytes.size()) bytes.resize(pos_ + n);
    std::memcpy(bytes.data() + pos_, p, n);
    pos_ += n;
    return true;
  }
  uint64_t position() override { return pos_; }
  bool seek(uint64_t offset) override {
    if (offset > bytes.size()) return false;
    pos_ = static_cast<size_t>(offset);
    return true;
  }
  bool truncate(uint64_t size) override {
    if (size < bytes.size()) bytes.resize(static_cast<size_t>(size));
    return true;
  }
  std::string_view view() const { return {reinterpret_cast<const char*>(bytes.data()), bytes.size()}; }
  std::vector<uint8_t> bytes;

 private:
  size_t pos_ = 0;
};

}  // namespace torvex::arj
