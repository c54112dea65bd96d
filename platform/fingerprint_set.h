// A multiset of 64-bit keys kept as 32-bit fingerprints, about six bytes a
// key whatever the names behind them: it answers "perhaps held" (the key,
// or about one in 4,000 million others per key held) or "surely not", for
// callers that make sure on a "perhaps" and skip the work on "surely not".
// A key added twice is held twice and must be removed twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace torvex {

class FingerprintSet {
 public:
  explicit FingerprintSet(size_t expected = 0);
  void add(uint64_t key);
  // Takes one of the key's fingerprints out; false when there was none.
  bool remove(uint64_t key);
  bool mayHold(uint64_t key) const;
  size_t size() const { return live_; }

 private:
  static constexpr uint32_t kFree = 0, kRemoved = 1;
  static uint32_t fingerprintOf(uint64_t key);
  size_t home(uint32_t fingerprint) const;
  size_t next(size_t slot) const;
  size_t find(uint32_t fingerprint) const;  // its slot, or slots_.size()
  void place(uint32_t fingerprint);  // into a free slot; there must be one
  // Remakes the table from the live fingerprints, with room for `room`.
  void rebuild(size_t room);

  std::vector<uint32_t> slots_;
  size_t live_ = 0, used_ = 0;  // fingerprints; slots not free
};

}  // namespace torvex
