#include "cli/nearest_name.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "cli/usage.h"

namespace torvex::cli {

namespace {

char folded(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Edits (insert, delete, replace, swap of two neighbours) from a to b.
size_t distance(std::string_view a, std::string_view b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t cost = folded(a[i - 1]) == folded(b[j - 1]) ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && folded(a[i - 1]) == folded(b[j - 2]) &&
          folded(a[i - 2]) == folded(b[j - 1])) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

std::string nearestName(std::string_view typed, std::span<const std::string_view> candidates) {
  const size_t allowed = std::max<size_t>(2, typed.size() / 3);
  std::string_view best;
  size_t bestDistance = allowed + 1;
  for (std::string_view c : candidates) {
    if (size_t dist = distance(typed, c); dist < bestDistance) {
      best = c;
      bestDistance = dist;
    }
  }
  return std::string(best);
}

int unknownName(std::string_view what, std::string_view typed,
                std::span<const std::string_view> candidates) {
  std::string message = "unknown " + std::string(what) + " '" + std::string(typed) + "'";
  if (std::string near = nearestName(typed, candidates); !near.empty()) {
    message += "; did you mean '" + near + "'?";
  }
  return usageError(message);
}

}  // namespace torvex::cli
