// Directory search: the pattern table measured for FindFirstFileA on a
// volume without short names, plus the search's own error codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/file.h"
#include "tests/support/temp_tree.h"
#include "tests/support/windows_limits.h"

namespace torvex {
namespace {

using Names = std::vector<std::string>;

// Every name the search returns, or the error code when it finds nothing.
struct Listing {
  Names names;
  uint32_t error = 0;
};

Listing list(const std::string& pattern) {
  Listing out;
  DirSearch s(pattern.c_str());
  if (!s.found()) {
    out.error = platform().lastError();
    return out;
  }
  do {
    out.names.push_back(s.entry().name);
  } while (s.next());
  return out;
}

// The fixture in the order the search must return it ("." and ".." first,
// then by the upper-cased names' code units). The accented names are UTF-8,
// which only the POSIX back end takes for its ANSI code page: the Windows
// build neither makes nor expects them (see kAnsiIsUtf8).
const Names kAll = {
    ".", "..", ".hidden", ".txt", "1.2.3.txt", "a", "a.b", "a.b.c", "ab", "abc", "ARQ.TXT",
    "ARQ001.TXT", "ARQ01.TXT", "arq1.txt", "ARQ12.DAT", "AÇÃO.txt", "b.a", "D00017.ARJ",
    "D000170.ARJ", "D0017.ARJ", "d12345.arj", "DIRNOEXT", "f1_rel_txt.arj", "F2_dados_dbf.ARJ",
    "F3_x.DAT", "F4_y.arjx", "file.tar.gz", "Fsemtraco.ARJ", "G1_a.ARJ", "LONGFILENAME.TXT",
    "name with space.txt", "paren(1).txt", "read.me", "README", "Relatório.TXT", "SUB.TXT",
    "x..y", "x.t", "x.tx", "x.txt", "x.txtx", "ç.txt"};
const Names kTxt = {".txt", "1.2.3.txt", "ARQ.TXT", "ARQ001.TXT", "ARQ01.TXT", "arq1.txt",
                    "AÇÃO.txt", "LONGFILENAME.TXT", "name with space.txt", "paren(1).txt",
                    "Relatório.TXT", "SUB.TXT", "x.txt", "ç.txt"};
const Names kArj = {"D00017.ARJ", "D000170.ARJ", "D0017.ARJ", "d12345.arj", "f1_rel_txt.arj",
                    "F2_dados_dbf.ARJ", "Fsemtraco.ARJ", "G1_a.ARJ"};

bool inThisCodePage(const std::string& name) {
  return !testing::kWin32Surroundings ||
         std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; });
}

// `names` in fixture order, so each row states only which names match.
Names inOrder(std::set<std::string> names) {
  Names out;
  for (const std::string& n : kAll) {
    if (names.erase(n)) out.push_back(n);
  }
  EXPECT_TRUE(names.empty()) << "not in the fixture: " << *names.begin();
  return out;
}
Names with(const Names& base, std::initializer_list<std::string> more) {
  std::set<std::string> s(base.begin(), base.end());
  s.insert(more);
  return inOrder(s);
}

struct Row {
  const char* pattern;
  Names expected;  // empty: nothing matches, error 2
};

// Names each case by its pattern in test listings.
void PrintTo(const Row& row, std::ostream* os) { *os << '"' << row.pattern << '"'; }

class PatternTable : public ::testing::TestWithParam<Row> {
 protected:
  static void SetUpTestSuite() {
    tree_ = new testing::TempTree;
    for (const std::string& n : kAll) {
      if (n == "." || n == ".." || !inThisCodePage(n)) continue;
      if (n == "DIRNOEXT" || n == "SUB.TXT") {
        tree_->mkdir("w/" + n);
      } else {
        tree_->write("w/" + n, n);
      }
    }
  }
  static void TearDownTestSuite() {
    delete tree_;
    tree_ = nullptr;
  }
  static testing::TempTree* tree_;
};
testing::TempTree* PatternTable::tree_ = nullptr;

TEST_P(PatternTable, ReturnsTheWindowsAnswer) {
  const Row& row = GetParam();
  Listing got = list(std::string("C:/w/") + row.pattern);
  Names expected;
  std::copy_if(row.expected.begin(), row.expected.end(), std::back_inserter(expected),
               inThisCodePage);
  EXPECT_EQ(got.names, expected) << "pattern \"" << row.pattern << "\"";
  if (row.expected.empty()) {
    EXPECT_EQ(got.error, kErrorFileNotFound);
  }
}

INSTANTIATE_TEST_SUITE_P(
    TableA, PatternTable,
    ::testing::Values(
        Row{"*", kAll}, Row{"*.*", kAll}, Row{"*.*.", kAll}, Row{"*. ", kAll},
        Row{"*.", inOrder({".", "..", "a", "ab", "abc", "DIRNOEXT", "README"})},
        Row{"?", inOrder({".", "a"})}, Row{"??", inOrder({".", "a", "ab"})},
        Row{"???", inOrder({".", "a", "ab", "abc"})}, Row{"????", inOrder({".", "a", "ab", "abc"})},
        Row{"a?", inOrder({"a", "ab"})}, Row{"a??", inOrder({"a", "ab", "abc"})},
        Row{"?.?", inOrder({".", "..", "a", "a.b", "b.a", "x.t"})},
        Row{"*.?", inOrder({".", "..", "a", "a.b", "a.b.c", "ab", "abc", "b.a", "DIRNOEXT",
                            "README", "x..y", "x.t"})},
        Row{"ARQ??.TXT", inOrder({"ARQ.TXT", "ARQ01.TXT", "arq1.txt"})},
        Row{"ARQ??.*", inOrder({"ARQ.TXT", "ARQ01.TXT", "arq1.txt", "ARQ12.DAT"})},
        Row{"ARQ?.TXT", inOrder({"ARQ.TXT", "arq1.txt"})},
        Row{"arq*.txt", inOrder({"ARQ.TXT", "ARQ001.TXT", "ARQ01.TXT", "arq1.txt"})},
        Row{"*.TXT", kTxt}, Row{"*.txt", kTxt}, Row{"*.t?t", kTxt},
        Row{"*.tx?", with(kTxt, {"x.tx"})}, Row{"*.tx", inOrder({"x.tx"})},
        Row{"x.tx?", inOrder({"x.tx", "x.txt"})}, Row{"x.txt?", inOrder({"x.txt", "x.txtx"})},
        Row{"x.t?", inOrder({"x.t", "x.tx"})},
        Row{"x.t*", inOrder({"x.t", "x.tx", "x.txt", "x.txtx"})}, Row{"x.t", inOrder({"x.t"})},
        Row{"*x", inOrder({"F4_y.arjx", "x.tx", "x.txtx"})}, Row{"*.arj", kArj},
        Row{"*.ARJ*", with(kArj, {"F4_y.arjx"})},
        Row{"f*_*.arj", inOrder({"f1_rel_txt.arj", "F2_dados_dbf.ARJ"})},
        Row{"F*_*.ARJ", inOrder({"f1_rel_txt.arj", "F2_dados_dbf.ARJ"})},
        Row{"F*.ARJ", inOrder({"f1_rel_txt.arj", "F2_dados_dbf.ARJ", "Fsemtraco.ARJ"})},
        Row{"D?????.ARJ", inOrder({"D00017.ARJ", "D0017.ARJ", "d12345.arj"})},
        Row{"D????.ARJ", inOrder({"D0017.ARJ"})},
        Row{"D*.ARJ", inOrder({"D00017.ARJ", "D000170.ARJ", "D0017.ARJ", "d12345.arj"})},
        Row{"*_*", inOrder({"f1_rel_txt.arj", "F2_dados_dbf.ARJ", "F3_x.DAT", "F4_y.arjx",
                            "G1_a.ARJ"})},
        Row{"a*", inOrder({"a", "a.b", "a.b.c", "ab", "abc", "ARQ.TXT", "ARQ001.TXT",
                           "ARQ01.TXT", "arq1.txt", "ARQ12.DAT", "AÇÃO.txt"})},
        Row{"*a", inOrder({"a", "b.a"})}, Row{"a.", inOrder({"a"})}, Row{"a", inOrder({"a"})},
        Row{"a.*", inOrder({"a", "a.b", "a.b.c"})}, Row{"A.B.*", inOrder({"a.b", "a.b.c"})},
        Row{"*.b.*", inOrder({"a.b", "a.b.c"})}, Row{"*.b", inOrder({"a.b"})},
        Row{"*.c", inOrder({"a.b.c"})}, Row{".*", inOrder({".", "..", ".hidden", ".txt"})},
        Row{"README.", inOrder({"README"})}, Row{"README.*", inOrder({"README"})},
        Row{"readme", inOrder({"README"})}, Row{"read*", inOrder({"read.me", "README"})},
        Row{"sub.txt", inOrder({"SUB.TXT"})}, Row{"SUB.*", inOrder({"SUB.TXT"})},
        Row{"dirnoext.", inOrder({"DIRNOEXT"})}, Row{"*.gz", inOrder({"file.tar.gz"})},
        Row{"*.tar", {}}, Row{"*.z", {}}, Row{"nonexist", {}}, Row{"*~*", {}},
        Row{"*e*e*", inOrder({"LONGFILENAME.TXT", "name with space.txt", "read.me", "README"})},
        Row{"* *", inOrder({"name with space.txt"})}, Row{"*(*", inOrder({"paren(1).txt"})},
        Row{"relatório.txt", inOrder({"Relatório.TXT"})},
        Row{"RELATÓRIO.TXT", inOrder({"Relatório.TXT"})},
        Row{"RELAT?RIO.TXT", inOrder({"Relatório.TXT"})},
        Row{"ação.txt", inOrder({"AÇÃO.txt"})}, Row{"AÇÃO.TXT", inOrder({"AÇÃO.txt"})},
        Row{"Ç.TXT", inOrder({"ç.txt"})}, Row{"Ç*", inOrder({"ç.txt"})},
        Row{"ARQ01.TXT.", inOrder({"ARQ01.TXT"})}, Row{"ARQ01.TXT ", inOrder({"ARQ01.TXT"})},
        Row{"*1*", inOrder({"1.2.3.txt", "ARQ001.TXT", "ARQ01.TXT", "arq1.txt", "ARQ12.DAT",
                            "D00017.ARJ", "D000170.ARJ", "D0017.ARJ", "d12345.arj",
                            "f1_rel_txt.arj", "G1_a.ARJ", "paren(1).txt"})}));

TEST(Search, DotAndDotDotNameTheDirectoryAndItsParent) {
  testing::TempTree t;
  t.write("d/sub/in.txt", "x");
  EXPECT_EQ(list("C:/d/sub").names, Names{"sub"});
  EXPECT_EQ(list("C:\\d\\sub\\.").names, Names{"sub"});
  EXPECT_EQ(list("C:/d/sub/..").names, Names{"d"});
  EXPECT_EQ(list("C:/d/sub/*").names, (Names{".", "..", "in.txt"}));
  EXPECT_EQ(list("C:/d/sub/*.*").names, (Names{".", "..", "in.txt"}));
  EXPECT_EQ(list("c:\\D/SUB\\\\*").names, (Names{".", "..", "in.txt"}));
}

TEST(Search, DriveRootHasNoDotEntries) {
  testing::TempTree t;
  t.write("a.txt", "");
  EXPECT_EQ(list("C:/*").names, Names{"a.txt"});
  EXPECT_EQ(list("C:*").names, Names{"a.txt"});
}

TEST(Search, ErrorCodes) {
  testing::TempTree t;
  t.write("d/file.txt", "x");
  t.mkdir("d/empty");
  t.mkdir("d/sub");
  EXPECT_EQ(list("C:/d/sub/").error, kErrorFileNotFound);  // empty pattern
  EXPECT_EQ(list("C:/d/empty/*.txt").error, kErrorFileNotFound);
  EXPECT_EQ(list("C:/d/empty/*").names, (Names{".", ".."}));
  EXPECT_EQ(list("C:/d/nosuchdir/*").error, kErrorPathNotFound);
  EXPECT_EQ(list("C:/d/*/file.txt").error, kErrorInvalidName);
  EXPECT_EQ(list("C:/d/a|b*").error, kErrorInvalidName);
  EXPECT_EQ(list("Q:/d/*").error, kErrorPathNotFound);  // unmapped drive
}

TEST(Search, EndsWithNoMoreFiles) {
  testing::TempTree t;
  t.write("one.txt", "");
  DirEntry e;
  SearchHandle* h = platform().findFirst("C:/*.txt", e);
  ASSERT_NE(h, nullptr);
  EXPECT_FALSE(platform().findNext(h, e));
  EXPECT_EQ(platform().lastError(), kErrorNoMoreFiles);
  platform().findClose(h);
}

TEST(Search, ReportsAttributesSizesAndTimes) {
  testing::TempTree t;
  t.write("d/data.bin", "12345");
  t.mkdir("d/dir");
  std::filesystem::permissions(t.path("d/data.bin"), std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::group_read);
  const auto when = std::filesystem::file_time_type::clock::now() - std::chrono::hours(48);
  std::filesystem::last_write_time(t.path("d/data.bin"), when);

  DirSearch file("C:/d/DATA.BIN");
  ASSERT_TRUE(file.found());
  EXPECT_EQ(file.entry().name, "data.bin");
  EXPECT_EQ(file.entry().size, 5u);
  EXPECT_EQ(file.entry().attributes, kAttrArchive | kAttrReadOnly);
  const int64_t written = std::chrono::duration_cast<std::chrono::seconds>(
                              std::chrono::file_clock::to_sys(when).time_since_epoch())
                              .count();
  EXPECT_EQ(file.entry().lastWriteTime, written);
  EXPECT_GE(file.entry().creationTime, written);  // birth time, or the write time

  DirSearch dir("C:/d/dir");
  ASSERT_TRUE(dir.found());
  EXPECT_EQ(dir.entry().attributes, kAttrDirectory);
}

// Details are read as each entry is handed out: one removed after the search
// began is passed over, and one rewritten shows its size as it is now.
TEST(Search, EntriesAreDescribedAsTheyAreReached) {
  if (testing::kWin32Surroundings) GTEST_SKIP() << testing::kSearchReadsAhead;
  testing::TempTree t;
  t.write("d/a.txt", "1");
  t.write("d/b.txt", "22");
  t.write("d/c.txt", "333");
  DirSearch s("C:/d/*.txt");
  ASSERT_TRUE(s.found());
  EXPECT_EQ(s.entry().name, "a.txt");
  std::filesystem::remove(t.path("d/b.txt"));
  t.write("d/c.txt", "4444");
  ASSERT_TRUE(s.next());
  EXPECT_EQ(s.entry().name, "c.txt");
  EXPECT_EQ(s.entry().size, 4u);
  EXPECT_FALSE(s.next());
  EXPECT_EQ(platform().lastError(), kErrorNoMoreFiles);
}

// A directory far larger than the search holds at once is listed whole, in
// order, each name once. As on NTFS, what changes during the search counts
// by the search's place: a name removed ahead is passed over, one added
// ahead is found, one added behind is not.
TEST(Search, ALargeDirectoryIsListedWholeAndChangesCountByTheSearchsPlace) {
  if (testing::kWin32Surroundings) GTEST_SKIP() << testing::kSearchReadsAhead;
  testing::TempTree t;
  constexpr int kFiles = 10000;
  auto name = [](int i, const char* suffix = "") {
    char text[32];
    std::snprintf(text, sizeof text, i % 2 ? "N%05d%s.TXT" : "n%05d%s.txt", i, suffix);
    return std::string(text);
  };
  for (int i = 0; i < kFiles; ++i) t.write("big/" + name(i), "x");
  Names expected;
  for (int i = 0; i < kFiles; ++i) {
    if (i == 7000 || i == 9000) continue;  // removed ahead of the search
    expected.push_back(name(i));
    if (i == 9998) expected.push_back(name(i, "a"));  // added ahead of it
  }
  Names seen;
  DirSearch s("C:/big/*.txt");
  ASSERT_TRUE(s.found());
  do {
    seen.push_back(s.entry().name);
    if (seen.size() == 5000) {
      std::filesystem::remove(t.path("big/" + name(7000)));
      std::filesystem::remove(t.path("big/" + name(9000)));
      t.write("big/" + name(9998, "a"), "x");
      t.write("big/" + name(10, "a"), "x");  // behind: never listed
    }
  } while (s.next());
  EXPECT_EQ(platform().lastError(), kErrorNoMoreFiles);
  EXPECT_EQ(seen, expected);
}

TEST(Search, HidesNamesWin32CannotReachByThatName) {
  if (testing::kWin32NameRules) GTEST_SKIP() << testing::kOddNamesNotMade;
  testing::TempTree t;
  for (const char* n : {"ok.txt", "a.", "b ", "col:on.txt", "star*.txt", "q?mark.txt",
                        "back\\slash.txt", "CON", "nul.txt"}) {
    t.write(std::string("h/") + n, "x");
  }
  EXPECT_EQ(list("C:/h/*.*").names, (Names{".", "..", "ok.txt"}));
}

// Even where the disk holds a file of that name, as a Linux folder may.
TEST(Search, DeviceNamesAreNeverFound) {
  if (testing::kWin32NameRules) GTEST_SKIP() << testing::kOddNamesNotMade;
  testing::TempTree t;
  for (const char* n : {"NUL", "con.txt", "AUX.c", "COM1"}) t.write(std::string("h/") + n, "x");
  DirEntry e;
  for (const char* n : {"NUL", "con.txt", "AUX.c", "nul ", "COM1"}) {
    EXPECT_EQ(platform().findFirst((std::string("C:/h/") + n).c_str(), e), nullptr) << n;
    EXPECT_EQ(platform().lastError(), kErrorFileNotFound) << n;
  }
}

TEST(Search, NamesDifferingOnlyInCaseAreBothListed) {
  if (testing::kCaseBlindVolume) GTEST_SKIP() << testing::kNoCaseTwins;
  testing::TempTree t;
  t.write("d/Dup.txt", "1");
  t.write("d/DUP.TXT", "2");
  EXPECT_EQ(list("C:/d/dup.*").names.size(), 2u);
  EXPECT_EQ(list("C:/d/Dup.txt").names, Names{"Dup.txt"});  // the exact spelling wins
  EXPECT_EQ(list("C:/d/DUP.TXT").names, Names{"DUP.TXT"});
}

}  // namespace
}  // namespace torvex
