// ExecArj end to end on a temporary drive C:.
#include "arj/exec_arj.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/arj/archive_builder.h"
#include "tests/support/faulty_platform.h"
#include "tests/support/temp_tree.h"
#include "tests/support/windows_limits.h"

namespace torvex::arj {
namespace {

using torvex::testing::FaultyPlatform;
using torvex::testing::TempTree;

int run(const std::string& line) { return ExecArj(line.c_str(), 0); }

std::vector<std::string> listDir(const TempTree& t, const std::string& rel) {
  std::vector<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(t.path(rel)))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ExecArj, AddTestExtractRoundTrip) {
  TempTree t;
  const std::string data = testing::textBytes(100000, 3);
  t.write("src/Relat.TXT", data);
  t.mkdir("out");
  EXPECT_EQ(run("a \"C:/F1_relat_txt.ARJ\" \"C:/src/Relat.TXT\""), 0);
  EXPECT_EQ(run("t \"C:/F1_relat_txt.ARJ\""), 0);
  EXPECT_EQ(run("e \"C:/F1_relat_txt.ARJ\" \"C:/out/\" -y"), 0);
  EXPECT_EQ(listDir(t, "out"), std::vector<std::string>{"Relat.TXT"});
  EXPECT_TRUE(t.read("out/Relat.TXT") == data);
  // Paths resolve without regard to case; the target may lack its separator.
  EXPECT_EQ(run("e \"c:/f1_RELAT_txt.arj\" \"C:/OUT\" -y"), 0);
}

TEST(ExecArj, AddAppendsAndReplacesByName) {
  TempTree t;
  t.write("a.txt", "first");
  t.write("b.txt", "second");
  t.mkdir("out");
  EXPECT_EQ(run("a \"C:/x.arj\" \"C:/a.txt\""), 0);
  EXPECT_EQ(run("a \"C:/x.arj\" \"C:/b.txt\""), 0);
  t.write("a.txt", "first, again");
  EXPECT_EQ(run("a \"C:/x.arj\" \"C:/A.TXT\""), 0);
  EXPECT_EQ(run("e \"C:/x.arj\" \"C:/out/\" -y"), 0);
  EXPECT_EQ(listDir(t, "out"), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(t.read("out/a.txt"), "first, again");
  EXPECT_EQ(t.read("out/b.txt"), "second");
  EXPECT_EQ(listDir(t, ""), (std::vector<std::string>{"a.txt", "b.txt", "out", "x.arj"}));
}

TEST(ExecArj, ExtractTarget) {
  TempTree t;
  t.write("f.txt", "data");
  t.write("plain", "a file, not a directory");
  ASSERT_EQ(run("a \"C:/x.arj\" \"C:/f.txt\""), 0);
  EXPECT_EQ(run("e \"C:/x.arj\" \"C:/fresh/\" -y"), 0);  // made when missing
  EXPECT_EQ(t.read("fresh/f.txt"), "data");
  EXPECT_EQ(run("e \"C:/x.arj\" \"C:/plain/\" -y"), 6);
  EXPECT_EQ(t.read("plain"), "a file, not a directory");
}

TEST(ExecArj, ExtractReplacesExistingFiles) {
  TempTree t;
  t.write("f.txt", "new contents");
  t.write("out/f.txt", "old");
  ASSERT_EQ(run("a \"C:/x.arj\" \"C:/f.txt\""), 0);
  EXPECT_EQ(run("e \"C:/x.arj\" \"C:/out/\" -y"), 0);
  EXPECT_EQ(t.read("out/f.txt"), "new contents");
}

TEST(ExecArj, ResultsAreArjErrorLevels) {
  TempTree t;
  t.write("f.txt", "x");
  t.write("junk.arj", "this is not an archive");
  EXPECT_EQ(run("a \"C:/x.arj\" \"C:/missing.txt\""), 6);
  EXPECT_FALSE(t.exists("x.arj"));
  EXPECT_EQ(run("t \"C:/nothing.arj\""), 6);
  EXPECT_EQ(run("t \"C:/junk.arj\""), 9);
  EXPECT_EQ(run("a \"C:/junk.arj\" \"C:/f.txt\""), 9);
  EXPECT_EQ(t.read("junk.arj"), "this is not an archive");
  for (const char* bad : {"", "x \"C:/a\"", "t", "t \"C:/a\" \"C:/b\"", "a \"C:/a\"",
                          "e \"C:/a\" \"C:/b\"", "e \"C:/a\" \"C:/b\" -r", "t \"unterminated",
                          "t \"\""})
    EXPECT_EQ(run(bad), 7) << bad;
  EXPECT_EQ(ExecArj(nullptr, 0), 7);
  EXPECT_EQ(ExecArj("t \"C:/junk.arj\"", 1), 7);
}

TEST(ExecArj, BadMemberNeverReplacesAGoodFile) {
  TempTree t;
  MemberHeader good = testing::storedHeader("good.txt", "good data");
  MemberHeader bad = testing::storedHeader("victim.txt", "evil data");
  bad.crc ^= 0x5A;
  MemberHeader badNew = testing::storedHeader("fresh.txt", "evil data");
  badNew.crc ^= 0x5A;
  t.write("x.arj", testing::rawArchive(
                       {{bad, "evil data"}, {badNew, "evil data"}, {good, "good data"}}));
  t.write("out/victim.txt", "precious");
  EXPECT_EQ(run("t \"C:/x.arj\""), 3);
  EXPECT_EQ(run("e \"C:/x.arj\" \"C:/out/\" -y"), 3);
  EXPECT_EQ(t.read("out/victim.txt"), "precious");
  EXPECT_EQ(t.read("out/good.txt"), "good data");  // the sound member still arrives
  EXPECT_EQ(listDir(t, "out"), (std::vector<std::string>{"good.txt", "victim.txt"}));
}

TEST(ExecArj, HostileNamesAreRefusedAndNothingLandsOutside) {
  TempTree t;
  std::vector<std::pair<MemberHeader, std::string>> members;
  for (const char* name : {"../evil1.txt", "..\\evil2.txt", "/abs/evil3.txt", "C:evil4.txt",
                           "NUL.txt", "ctl\x01.txt", "..", ""})
    members.push_back({testing::storedHeader(name, "evil"), "evil"});
  MemberHeader dir = testing::storedHeader("sub", "");
  dir.fileType = kTypeDirectory;
  members.push_back({dir, ""});
  members.push_back({testing::storedHeader("deep/dir/ok.txt", "fine"), "fine"});
  t.write("x.arj", testing::rawArchive(members));
  t.mkdir("in/out");
  EXPECT_NE(run("e \"C:/x.arj\" \"C:/in/out/\" -y"), 0);
  EXPECT_EQ(listDir(t, "in/out"), std::vector<std::string>{"ok.txt"});
  EXPECT_EQ(listDir(t, "in"), std::vector<std::string>{"out"});
  EXPECT_EQ(listDir(t, ""), (std::vector<std::string>{"in", "x.arj"}));
}

TEST(ExecArj, SymbolicLinkInTheTargetIsReplacedNotFollowed) {
  if (torvex::testing::kNoSymbolicLinks) GTEST_SKIP() << torvex::testing::kLinksNotMade;
  TempTree t;
  t.write("f.txt", "payload");
  t.write("secret.txt", "untouched");
  t.mkdir("out");
  std::filesystem::create_symlink(t.path("secret.txt"), t.path("out/f.txt"));
  ASSERT_EQ(run("a \"C:/x.arj\" \"C:/f.txt\""), 0);
  EXPECT_EQ(run("e \"C:/x.arj\" \"C:/out/\" -y"), 0);
  EXPECT_EQ(t.read("secret.txt"), "untouched");
  EXPECT_FALSE(std::filesystem::is_symlink(t.path("out/f.txt")));
  EXPECT_EQ(t.read("out/f.txt"), "payload");
}

TEST(ExecArj, UnsupportedMembersFailWithoutLeavingFiles) {
  TempTree t;
  MemberHeader garbled = testing::storedHeader("g.txt", "data");
  garbled.flags = kFlagGarbled;
  t.write("x.arj", testing::rawArchive({{garbled, "data"}}));
  t.mkdir("out");
  EXPECT_EQ(run("e \"C:/x.arj\" \"C:/out/\" -y"), 2);
  EXPECT_TRUE(listDir(t, "out").empty());
}

// Whichever file operation fails during an add, the archive that was there
// stays as it was, a new one is complete or absent, and no temporary file is
// left; same for extraction over a file and into an empty folder.
TEST(ExecArj, FailedStepsLoseNothing) {
  TempTree t;
  t.write("a.txt", testing::textBytes(50000, 1));
  t.write("b.txt", testing::textBytes(50000, 2));
  ASSERT_EQ(run("a \"C:/x.arj\" \"C:/a.txt\""), 0);
  const std::string before = t.read("x.arj");
  long steps;
  {
    FaultyPlatform probe;
    probe.failAt(0);
    ASSERT_EQ(run("a \"C:/y.arj\" \"C:/b.txt\""), 0);
    steps = probe.count();
  }
  for (long n = 1; n <= steps; ++n) {
    int r;
    {
      FaultyPlatform faulty;
      faulty.failAt(n);
      r = run("a \"C:/x.arj\" \"C:/b.txt\"");
    }
    EXPECT_GT(r, -1);
    if (r != 0) {
      EXPECT_TRUE(t.read("x.arj") == before) << "step " << n;
    }
    EXPECT_EQ(listDir(t, ""), (std::vector<std::string>{"a.txt", "b.txt", "x.arj", "y.arj"}))
        << "step " << n;
    t.write("x.arj", before);
  }
  t.write("out/a.txt", "old");
  {
    FaultyPlatform probe;
    probe.failAt(0);
    ASSERT_EQ(run("e \"C:/x.arj\" \"C:/out/\" -y"), 0);
    steps = probe.count();
  }
  const std::string full = testing::textBytes(50000, 1);
  for (long n = 1; n <= steps; ++n) {
    t.write("out/a.txt", "old");
    int r;
    {
      FaultyPlatform faulty;
      faulty.failAt(n);
      r = run("e \"C:/x.arj\" \"C:/out/\" -y");
    }
    EXPECT_EQ(listDir(t, "out"), std::vector<std::string>{"a.txt"}) << "step " << n;
    std::string a = t.read("out/a.txt");
    EXPECT_TRUE(r == 0 ? a == full : (a == "old" || a == full)) << "step " << n;
  }
  for (long n = 1; n <= steps; ++n) {
    t.mkdir("fresh");
    int r;
    {
      FaultyPlatform faulty;
      faulty.failAt(n);
      r = run("e \"C:/x.arj\" \"C:/fresh/\" -y");
    }
    const std::vector<std::string> left = listDir(t, "fresh");
    EXPECT_TRUE(left.empty() || (left == std::vector<std::string>{"a.txt"} &&
                                 t.read("fresh/a.txt") == full))
        << "step " << n;
    EXPECT_TRUE(r != 0 || !left.empty()) << "step " << n;
    std::filesystem::remove_all(t.path("fresh"));
  }
  for (long n = 1; n <= steps; ++n) {
    int r;
    {
      FaultyPlatform faulty;
      faulty.failAt(n);
      r = run("a \"C:/z.arj\" \"C:/b.txt\"");
    }
    EXPECT_EQ(t.exists("z.arj"), r == 0) << "step " << n;
    EXPECT_TRUE(r != 0 || run("t \"C:/z.arj\"") == 0) << "step " << n;
    std::filesystem::remove(t.path("z.arj"));
    EXPECT_EQ(listDir(t, ""), (std::vector<std::string>{"a.txt", "b.txt", "out", "x.arj", "y.arj"}))
        << "step " << n;
  }
}

}  // namespace
}  // namespace torvex::arj
