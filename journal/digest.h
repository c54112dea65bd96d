// What the journal's steps know a file by: its size and a checksum of its
// bytes. A step states the digest of what it moves or places, so that a run
// again after a crash, or after someone else touched the tree, can tell the
// file it made from any other, instead of taking a missing name for done.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/file.h"

namespace torvex {

struct Digest {
  uint64_t size = 0;
  uint64_t sum = 0;
  bool operator==(const Digest&) const = default;
};

// FNV-1a over `bytes`, continuing from `sum`.
uint64_t checksum(std::string_view bytes, uint64_t sum = 14695981039346656037ull);

// The digest of the file at `path`; false when it cannot be read whole.
bool digestOf(const char* path, Digest& d);

// The checksum of `size` bytes of `f` from `offset`; false when they cannot
// all be read.
bool checksumOfRange(File& f, uint64_t offset, uint64_t size, uint64_t& sum);

// True when the file at `path` exists and holds exactly these bytes.
bool holds(const char* path, const Digest& d);

}  // namespace torvex
