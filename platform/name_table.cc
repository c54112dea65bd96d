#include "platform/name_table.h"

#include <stdexcept>

namespace torvex {

std::string_view NameTable::at(uint32_t offset) const {
  const size_t start = offset - 1;
  const size_t length = static_cast<unsigned char>(bytes_[start]) |
                        static_cast<size_t>(static_cast<unsigned char>(bytes_[start + 1])) << 8;
  return std::string_view(bytes_).substr(start + 2, length);
}

size_t NameTable::find(uint64_t key, std::string_view name) const {
  if (slots_.empty()) return 0;
  for (size_t i = home(tag(key)); slots_[i].offset != kFree; i = (i + 1) & mask()) {
    if (slots_[i].tag == tag(key) && slots_[i].offset != kErased && at(slots_[i].offset) == name) {
      return i;
    }
  }
  return slots_.size();
}

bool NameTable::contains(uint64_t key, std::string_view name) const {
  return find(key, name) < slots_.size();
}

bool NameTable::insert(uint64_t key, std::string_view name) {
  if (contains(key, name)) return false;
  // Lengths fit two bytes and offsets 32 bits, far beyond any name or directory.
  if (name.size() > 0xFFFF || bytes_.size() + name.size() + 2 >= kErased - 1) {
    throw std::length_error("NameTable: name or table too large");
  }
  // At most half the slots taken, erased ones included, so probes end soon.
  if (2 * (used_ + 1) > slots_.size()) rebuild(live_ + 1);
  place(tag(key), name);
  return true;
}

void NameTable::place(uint32_t tag, std::string_view name) {
  size_t i = home(tag);
  while (slots_[i].offset != kFree) i = (i + 1) & mask();
  slots_[i] = {tag, static_cast<uint32_t>(bytes_.size() + 1)};
  bytes_.push_back(static_cast<char>(name.size() & 0xFF));
  bytes_.push_back(static_cast<char>(name.size() >> 8));
  bytes_.append(name);
  ++live_, ++used_;
}

bool NameTable::erase(uint64_t key, std::string_view name) {
  const size_t i = find(key, name);
  if (i >= slots_.size()) return false;
  slots_[i].offset = kErased;
  --live_;
  erasedBytes_ += name.size() + 2;
  // A directory emptied file by file gives its memory back as it goes.
  if (erasedBytes_ > 4096 && 2 * erasedBytes_ > bytes_.size()) rebuild(live_);
  return true;
}

void NameTable::clear() {
  bytes_ = {};
  slots_ = {};
  live_ = used_ = erasedBytes_ = 0;
}

void NameTable::rebuild(size_t room) {
  // A third full at most, so that the table grows before it is half full.
  size_t size = 16;
  while (size < 3 * room) size *= 2;
  NameTable fresh;
  fresh.slots_.assign(size, Slot{0, kFree});
  fresh.bytes_.reserve(bytes_.size() - erasedBytes_);
  for (const Slot& s : slots_) {
    if (s.offset != kFree && s.offset != kErased) fresh.place(s.tag, at(s.offset));
  }
  *this = std::move(fresh);
}

}  // namespace torvex
