#include "arj/huffman_decoder.h"

#include <algorithm>

namespace torvex::arj {

template <int kPrimaryBits>
bool HuffmanDecoder<kPrimaryBits>::build(const uint8_t* lengths, int count) {
  uint32_t perLength[kMaxCodeLength + 1] = {};
  for (int i = 0; i < count; ++i) {
    if (lengths[i] > kMaxCodeLength) return false;
    ++perLength[lengths[i]];
  }
  uint32_t space = 0;
  for (int len = 1; len <= kMaxCodeLength; ++len) space += perLength[len] << (kMaxCodeLength - len);
  if (space != (1u << kMaxCodeLength)) return false;

  // Canonical order: shorter codes first, then by symbol index.
  uint32_t nextCode[kMaxCodeLength + 1] = {};
  uint32_t code = 0;
  for (int len = 1; len <= kMaxCodeLength; ++len) {
    nextCode[len] = code;
    code = (code + perLength[len]) << 1;
  }

  const size_t primarySize = size_t{1} << kPrimaryBits;
  const size_t subSize = size_t{1} << (kMaxCodeLength - kPrimaryBits);
  table_.assign(primarySize, 0);
  for (int sym = 0; sym < count; ++sym) {
    int len = lengths[sym];
    if (len == 0) continue;
    uint32_t c = nextCode[len]++;
    uint32_t entry = static_cast<uint32_t>(sym) << 16 | static_cast<uint32_t>(len);
    if (len <= kPrimaryBits) {
      size_t first = size_t{c} << (kPrimaryBits - len);
      std::fill_n(table_.begin() + first, size_t{1} << (kPrimaryBits - len), entry);
      continue;
    }
    uint32_t prefix = c >> (len - kPrimaryBits);
    if (!(table_[prefix] & kSubFlag)) {
      table_[prefix] = static_cast<uint32_t>(table_.size()) << 16 | kSubFlag;
      table_.resize(table_.size() + subSize, 0);
    }
    size_t base = table_[prefix] >> 16;
    uint32_t low = c & ((1u << (len - kPrimaryBits)) - 1);
    size_t first = base + (size_t{low} << (kMaxCodeLength - len));
    std::fill_n(table_.begin() + first, size_t{1} << (kMaxCodeLength - len), entry);
  }
  return true;
}

template class HuffmanDecoder<12>;
template class HuffmanDecoder<8>;

}  // namespace torvex::arj
