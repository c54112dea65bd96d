#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file.h"
#include "tests/support/temp_tree.h"

namespace torvex {
namespace {

std::vector<std::string> list(const std::string& pattern, uint32_t* error = nullptr) {
  std::vector<std::string> names;
  DirSearch s(pattern.c_str());
  if (!s.found()) {
    if (error) *error = platform().lastError();
    return names;
  }
  do {
    names.push_back(s.entry().name);
  } while (s.next());
  return names;
}

using Names = std::vector<std::string>;

TEST(Search, ListsMatchesSortedWithDotsFirst) {
  testing::TempTree t;
  t.write("d/b.txt", "1");
  t.write("d/A.TXT", "22");
  t.write("d/c.dat", "");
  EXPECT_EQ(list("C:/d/*"), (Names{".", "..", "A.TXT", "b.txt", "c.dat"}));
  EXPECT_EQ(list("C:\\D\\*.txt"), (Names{"A.TXT", "b.txt"}));
}

}  // namespace
}  // namespace torvex
