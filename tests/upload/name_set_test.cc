#include "upload/name_set.h"

#include <gtest/gtest.h>

#include <string>

namespace torvex {
namespace {

TEST(NameSet, EachNameIsAddedOnceAndFoundExactly) {
  NameSet set;
  struct Case {
    const char* name;
    bool added;
  } cases[] = {
      {"a.txt", true},   {"a.txt", false}, {"A.TXT", true},  // letter case counts
      {"a.tx", true},    {"a.txt ", true}, {"", true},        // prefixes, blanks, empty
      {"", false},       {"a.tx", false},
  };
  for (const Case& c : cases) EXPECT_EQ(set.insert(c.name), c.added) << '"' << c.name << '"';
  EXPECT_EQ(set.size(), 5u);
  EXPECT_TRUE(set.contains("A.TXT"));
  EXPECT_FALSE(set.contains("a.t"));
  EXPECT_FALSE(set.contains("b.txt"));
}

TEST(NameSet, KeepsEveryNameWhileItGrows) {
  NameSet set;
  constexpr int kNames = 100000;
  for (int i = 0; i < kNames; ++i) ASSERT_TRUE(set.insert("arq" + std::to_string(i) + ".txt"));
  const std::string longName(255, 'x');
  EXPECT_TRUE(set.insert(longName));
  for (int i = 0; i < kNames; ++i) {
    ASSERT_TRUE(set.contains("arq" + std::to_string(i) + ".txt")) << i;
    ASSERT_FALSE(set.insert("arq" + std::to_string(i) + ".txt")) << i;
  }
  EXPECT_TRUE(set.contains(longName));
  EXPECT_FALSE(set.contains(std::string(254, 'x')));
  EXPECT_FALSE(set.contains("arq100000.txt"));
  EXPECT_EQ(set.size(), kNames + 1u);
}

}  // namespace
}  // namespace torvex
