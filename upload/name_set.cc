#include "upload/name_set.h"

#include <functional>
#include <stdexcept>

namespace torvex {

std::string_view NameSet::at(uint32_t slot) const {
  const size_t offset = slot - 1;
  const size_t length = static_cast<unsigned char>(bytes_[offset]) |
                        static_cast<size_t>(static_cast<unsigned char>(bytes_[offset + 1])) << 8;
  return std::string_view(bytes_).substr(offset + 2, length);
}

size_t NameSet::find(std::string_view name, size_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    if (slots_[i] == 0 || at(slots_[i]) == name) return i;
  }
}

bool NameSet::contains(std::string_view name) const {
  return !slots_.empty() && slots_[find(name, std::hash<std::string_view>{}(name))] != 0;
}

bool NameSet::insert(std::string_view name) {
  // Lengths fit two bytes and offsets 32 bits: far beyond any path.
  if (name.size() > 0xFFFF || bytes_.size() + name.size() + 2 >= 0xFFFFFFFFu) {
    throw std::length_error("NameSet: name or set too large");
  }
  // At most half full, so a probe ends soon.
  if (2 * (count_ + 1) > slots_.size()) grow();
  const size_t i = find(name, std::hash<std::string_view>{}(name));
  if (slots_[i] != 0) return false;
  slots_[i] = static_cast<uint32_t>(bytes_.size() + 1);
  bytes_.push_back(static_cast<char>(name.size() & 0xFF));
  bytes_.push_back(static_cast<char>(name.size() >> 8));
  bytes_.append(name);
  ++count_;
  return true;
}

void NameSet::grow() {
  std::vector<uint32_t> old(slots_.empty() ? 16 : 2 * slots_.size(), 0);
  old.swap(slots_);
  for (uint32_t slot : old) {
    if (slot != 0) slots_[find(at(slot), std::hash<std::string_view>{}(at(slot)))] = slot;
  }
}

}  // namespace torvex
