// Names kept compactly under 64-bit keys (a hash of whatever makes two
// names alike to the caller): each name's bytes once, in one buffer, and an
// open-addressed table of eight-byte slots, the upper half of the key (which
// also picks the slot) and an offset. Several names may share a key.
// A directory of a hundred thousand files, or an upload over as many, costs
// a few bytes more than the names, instead of a node and a string each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace torvex {

class NameTable {
 public:
  // Adds `name` under `key`; false when it was there already.
  bool insert(uint64_t key, std::string_view name);
  // Removes `name` from under `key`; false when it was not there.
  bool erase(uint64_t key, std::string_view name);
  // Calls f(name) for every name under `key` and perhaps a few under
  // another key that agrees in its upper half: the caller tells them apart.
  template <class F>
  void forEach(uint64_t key, F&& f) const {
    for (size_t i = home(tag(key)); !slots_.empty() && slots_[i].offset != kFree; i = (i + 1) & mask()) {
      if (slots_[i].tag == tag(key) && slots_[i].offset != kErased) f(at(slots_[i].offset));
    }
  }
  bool contains(uint64_t key, std::string_view name) const;
  size_t size() const { return live_; }
  void clear();

 private:
  static constexpr uint32_t kFree = 0, kErased = 0xFFFFFFFFu;
  struct Slot {
    uint32_t tag;     // the key's upper half
    uint32_t offset;  // 1 + where the name's length starts in bytes_, or kFree / kErased
  };
  static uint32_t tag(uint64_t key) { return static_cast<uint32_t>(key >> 32); }
  size_t mask() const { return slots_.size() - 1; }
  size_t home(uint32_t tag) const { return static_cast<size_t>(tag * 2654435761u) & mask(); }
  std::string_view at(uint32_t offset) const;
  // The slot holding `name` under `key`, or slots_.size().
  size_t find(uint64_t key, std::string_view name) const;
  // Puts the name in a free slot; there must be one.
  void place(uint32_t tag, std::string_view name);
  // Remakes the table and the buffer from the live names, with room for `room`.
  void rebuild(size_t room);

  std::string bytes_;  // each name behind its length in two bytes
  std::vector<Slot> slots_;
  size_t live_ = 0, used_ = 0;  // names; slots not free (names and erased ones)
  size_t erasedBytes_ = 0;
};

}  // namespace torvex
