// A set of names kept compactly: each name's bytes once, in one buffer,
// and an open-addressed table of 32-bit offsets into it. An upload over a
// hundred thousand files remembers every one it dealt with; a node-based
// set of strings would cost several times the names themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace torvex {

class NameSet {
 public:
  // Adds `name`; false when it was there already.
  bool insert(std::string_view name);
  bool contains(std::string_view name) const;
  size_t size() const { return count_; }

 private:
  // The slot holding `name`, or the free slot where it would go.
  size_t find(std::string_view name, size_t hash) const;
  std::string_view at(uint32_t slot) const;
  void grow();

  std::string bytes_;            // each name behind its length in two bytes
  std::vector<uint32_t> slots_;  // 1 + offset of a name in bytes_; 0 is free
  size_t count_ = 0;
};

}  // namespace torvex
