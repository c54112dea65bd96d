#include "arj/huffman_encoder.h"

#include <algorithm>
#include <vector>

namespace torvex::arj {

void buildCodeLengths(const uint32_t* freq, int n, int maxLength, uint8_t* lengths) {
  std::vector<int> syms;
  for (int i = 0; i < n; ++i) {
    lengths[i] = 0;
    if (freq[i]) syms.push_back(i);
  }
  std::sort(syms.begin(), syms.end(),
            [&](int a, int b) { return freq[a] != freq[b] ? freq[a] < freq[b] : a < b; });
  const int leaves = static_cast<int>(syms.size());

  // Two-queue Huffman over the sorted leaves; nodes >= leaves are internal.
  std::vector<uint64_t> weight(2 * leaves);
  std::vector<int> parent(2 * leaves, -1);
  for (int i = 0; i < leaves; ++i) weight[i] = freq[syms[i]];
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
  std::vector<int> depth(2 * leaves, 0);
  std::vector<uint32_t> perLength(std::max(leaves, maxLength) + 2, 0);
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
    for (uint32_t k = 0; k < perLength[len]; ++k) lengths[syms[s--]] = static_cast<uint8_t>(len);
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
