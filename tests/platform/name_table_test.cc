#include "platform/name_table.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

namespace torvex {
namespace {

uint64_t keyOf(std::string_view name) { return std::hash<std::string_view>{}(name); }

std::set<std::string> under(const NameTable& t, uint64_t key) {
  std::set<std::string> out;
  t.forEach(key, [&](std::string_view n) { out.emplace(n); });
  return out;
}

TEST(NameTable, EachNameIsAddedOnceAndFoundExactly) {
  NameTable t;
  struct Case {
    const char* name;
    bool added;
  } cases[] = {
      {"a.txt", true},   {"a.txt", false}, {"A.TXT", true},  // letter case counts
      {"a.tx", true},    {"a.txt ", true}, {"", true},        // prefixes, blanks, empty
      {"", false},       {"a.tx", false},
  };
  for (const Case& c : cases) EXPECT_EQ(t.insert(keyOf(c.name), c.name), c.added) << '"' << c.name << '"';
  EXPECT_EQ(t.size(), 5u);
  EXPECT_TRUE(t.contains(keyOf("A.TXT"), "A.TXT"));
  EXPECT_FALSE(t.contains(keyOf("a.t"), "a.t"));
  EXPECT_FALSE(t.contains(keyOf("b.txt"), "b.txt"));
}

// Names alike to the caller share a key; look-ups by key give them all.
TEST(NameTable, NamesUnderOneKeyComeBackTogetherAndLeaveOneByOne) {
  NameTable t;
  constexpr uint64_t kReadme = 7ull << 32, kOther = 8ull << 32;
  for (const char* n : {"Readme", "README", "readme"}) EXPECT_TRUE(t.insert(kReadme, n));
  EXPECT_TRUE(t.insert(kOther, "other"));
  EXPECT_EQ(under(t, kReadme), (std::set<std::string>{"README", "Readme", "readme"}));
  EXPECT_TRUE(t.erase(kReadme, "README"));
  EXPECT_FALSE(t.erase(kReadme, "README"));
  EXPECT_FALSE(t.erase(kReadme, "other"));  // there, but under another key
  EXPECT_EQ(under(t, kReadme), (std::set<std::string>{"Readme", "readme"}));
  EXPECT_EQ(under(t, kOther), (std::set<std::string>{"other"}));
  EXPECT_TRUE(t.insert(kReadme, "README"));
  EXPECT_EQ(t.size(), 4u);
  t.clear();
  EXPECT_EQ(t.size(), 0u);
  EXPECT_TRUE(under(t, kReadme).empty());
}

// Grown to a hundred thousand, then emptied but for every tenth name (the
// table remakes itself on the way both times): nothing lost, nothing kept.
TEST(NameTable, KeepsEveryNameWhileItGrowsAndShrinks) {
  NameTable t;
  constexpr int kNames = 100000;
  auto name = [](int i) { return "arq" + std::to_string(i) + ".txt"; };
  for (int i = 0; i < kNames; ++i) ASSERT_TRUE(t.insert(keyOf(name(i)), name(i))) << i;
  const std::string longName(255, 'x');
  EXPECT_TRUE(t.insert(keyOf(longName), longName));
  for (int i = 0; i < kNames; ++i) {
    ASSERT_TRUE(t.contains(keyOf(name(i)), name(i))) << i;
    ASSERT_FALSE(t.insert(keyOf(name(i)), name(i))) << i;
  }
  for (int i = 0; i < kNames; ++i) {
    if (i % 10 != 0) {
      ASSERT_TRUE(t.erase(keyOf(name(i)), name(i))) << i;
    }
  }
  for (int i = 0; i < kNames; ++i) ASSERT_EQ(t.contains(keyOf(name(i)), name(i)), i % 10 == 0) << i;
  EXPECT_TRUE(t.contains(keyOf(longName), longName));
  EXPECT_FALSE(t.contains(keyOf(std::string(254, 'x')), std::string(254, 'x')));
  EXPECT_EQ(t.size(), kNames / 10 + 1u);
}

}  // namespace
}  // namespace torvex
