#include "journal/digest.h"

namespace torvex {

uint64_t checksum(std::string_view bytes, uint64_t sum) {
  for (unsigned char c : bytes) sum = (sum ^ c) * 1099511628211ull;
  return sum;
}

bool checksumOfRange(File& f, uint64_t offset, uint64_t size, uint64_t& sum) {
  sum = checksum({});
  if (!f.seek(offset)) return false;
  char buf[16384];
  while (size > 0) {
    const size_t want = size < sizeof buf ? static_cast<size_t>(size) : sizeof buf;
    const long got = f.read(buf, want);
    if (got <= 0) return false;
    sum = checksum(std::string_view(buf, static_cast<size_t>(got)), sum);
    size -= static_cast<uint64_t>(got);
  }
  return true;
}

bool digestOf(const char* path, Digest& d) {
  File f(path, OpenMode::Read);
  if (!f) return false;
  const int64_t size = f.size();
  if (size < 0) return false;
  d.size = static_cast<uint64_t>(size);
  return checksumOfRange(f, 0, d.size, d.sum);
}

bool holds(const char* path, const Digest& d) {
  Digest found;
  return digestOf(path, found) && found == d;
}

}  // namespace torvex
