#include "platform/fingerprint_set.h"

#include <algorithm>

namespace torvex {

uint32_t FingerprintSet::fingerprintOf(uint64_t key) {
  // Mixed first, so that keys from a weak hash still spread over the table.
  key ^= key >> 30;
  key *= 0xbf58476d1ce4e5b9ull;
  key ^= key >> 27;
  key *= 0x94d049bb133111ebull;
  key ^= key >> 31;
  const uint32_t f = static_cast<uint32_t>(key >> 32);
  return f > kRemoved ? f : f + 2;
}

FingerprintSet::FingerprintSet(size_t expected) { rebuild(expected); }

size_t FingerprintSet::home(uint32_t fingerprint) const {
  // Scaled onto the table, whatever its size, without a division.
  return static_cast<size_t>((uint64_t{fingerprint * 2654435761u} * slots_.size()) >> 32);
}

size_t FingerprintSet::next(size_t slot) const { return slot + 1 == slots_.size() ? 0 : slot + 1; }

size_t FingerprintSet::find(uint32_t fingerprint) const {
  for (size_t i = home(fingerprint); slots_[i] != kFree; i = next(i)) {
    if (slots_[i] == fingerprint) return i;
  }
  return slots_.size();
}

void FingerprintSet::place(uint32_t fingerprint) {
  size_t i = home(fingerprint);
  while (slots_[i] != kFree) i = next(i);
  slots_[i] = fingerprint;
  ++live_, ++used_;
}

bool FingerprintSet::mayHold(uint64_t key) const { return find(fingerprintOf(key)) < slots_.size(); }

void FingerprintSet::add(uint64_t key) {
  // At most 85 in 100 slots taken, removed ones included: a probe reads a
  // few dozen bytes at worst, and the table stays a few bytes a key.
  if (100 * (used_ + 1) > 85 * slots_.size()) rebuild(live_ + 1);
  place(fingerprintOf(key));
}

bool FingerprintSet::remove(uint64_t key) {
  const size_t i = find(fingerprintOf(key));
  if (i == slots_.size()) return false;
  slots_[i] = kRemoved;
  --live_;
  // A directory emptied file by file gives its memory back as it goes.
  if (slots_.size() > 64 && 4 * live_ < slots_.size()) rebuild(live_);
  return true;
}

void FingerprintSet::rebuild(size_t room) {
  // Two in three slots taken after the rebuild: growing by half each time,
  // the old table and the new one together stay below 12 bytes a key.
  std::vector<uint32_t> old = std::move(slots_);
  slots_.assign(std::max<size_t>(16, room + room / 2), kFree);
  live_ = used_ = 0;
  for (uint32_t f : old) {
    if (f != kFree && f != kRemoved) place(f);
  }
}

}  // namespace torvex
