#include "arj/huffman_encoder.h"

#include <algorithm>

namespace torvex::arj {
namespace {

// Sorts keys that hold a frequency above 16 bits of index, entered in index
// order: a radix sort on the frequency's bytes, stable, so equal
// frequencies stay in index order. A byte all keys share is skipped.
void sortByFrequency(uint64_t* key, int count) {
  uint64_t spare[kMaxCodeSymbols];
  uint64_t* from = key;
  uint64_t* to = spare;
  for (int shift = 16; shift < 48; shift += 8) {
    int start[257] = {};
    for (int i = 0; i < count; ++i) ++start[(from[i] >> shift & 0xFF) + 1];
    if (std::find(start + 1, start + 257, count) != start + 257) continue;
    for (int b = 0; b < 256; ++b) start[b + 1] += start[b];
    for (int i = 0; i < count; ++i) to[start[from[i] >> shift & 0xFF]++] = from[i];
    std::swap(from, to);
  }
  if (from != key) std::copy(from, from + count, key);
}

}  // namespace

void buildCodeLengths(const uint32_t* freq, int n, int maxLength, uint8_t* lengths) {
  // The used symbols by frequency, then index, as one key each: the planner
  // builds codes many times a block, so no allocation and no comparisons.
  uint64_t key[kMaxCodeSymbols];
  int leaves = 0;
  for (int i = 0; i < n; ++i) {
    lengths[i] = 0;
    if (freq[i]) key[leaves++] = uint64_t{freq[i]} << 16 | static_cast<uint32_t>(i);
  }
  if (leaves < 2) return;
  sortByFrequency(key, leaves);

  // Two-queue Huffman over the sorted leaves; nodes >= leaves are internal.
  uint64_t weight[2 * kMaxCodeSymbols];
  int parent[2 * kMaxCodeSymbols];
  for (int i = 0; i < leaves; ++i) weight[i] = key[i] >> 16;
  int leaf = 0, node = leaves, next = leaves;
  auto take = [&]() {
    if (leaf < leaves && (node >= next || weight[leaf] <= weight[node])) return leaf++;
    return node++;
  };
  for (; next < 2 * leaves - 1; ++next) {
    int a = take(), b = take();
    weight[next] = weight[a] + weight[b];
    parent[a] = parent[b] = next;
  }
  // Depth of each leaf; count leaves per depth.
  int depth[2 * kMaxCodeSymbols];
  uint32_t perLength[kMaxCodeSymbols + 2] = {};
  depth[2 * leaves - 2] = 0;
  for (int i = 2 * leaves - 3; i >= 0; --i) depth[i] = depth[parent[i]] + 1;
  int deepest = 0;
  for (int i = 0; i < leaves; ++i) {
    ++perLength[depth[i]];
    deepest = std::max(deepest, depth[i]);
  }
  // Fold lengths beyond the limit back in, keeping the code complete: each
  // step removes two leaves at the deepest level and splits a shallower one.
  for (int len = deepest; len > maxLength; --len) {
    while (perLength[len] > 0) {
      int j = len - 2;
      while (perLength[j] == 0) --j;
      perLength[len] -= 2;
      perLength[len - 1] += 1;
      perLength[j + 1] += 2;
      perLength[j] -= 1;
    }
  }
  // Most frequent symbols get the shortest codes.
  int s = leaves - 1;
  for (int len = 1; len <= maxLength; ++len)
    for (uint32_t k = 0; k < perLength[len]; ++k) lengths[key[s--] & 0xFFFF] = static_cast<uint8_t>(len);
}

void canonicalCodes(const uint8_t* lengths, int n, uint16_t* codes) {
  uint32_t perLength[17] = {};
  for (int i = 0; i < n; ++i) ++perLength[lengths[i]];
  perLength[0] = 0;
  uint32_t next[17] = {};
  uint32_t code = 0;
  for (int len = 1; len <= 16; ++len) {
    next[len] = code;
    code = (code + perLength[len]) << 1;
  }
  for (int i = 0; i < n; ++i) codes[i] = lengths[i] ? static_cast<uint16_t>(next[lengths[i]]++) : 0;
}

}  // namespace torvex::arj
