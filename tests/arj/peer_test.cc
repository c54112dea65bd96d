// Agreement with the Debian arj and 7-Zip tools, when installed: what we
// write they read, and what arj writes we read, byte for byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>

#include "arj/archive_writer.h"
#include "arj/exec_arj.h"
#include "arj/memory_stream.h"
#include "tests/arj/archive_builder.h"
#include "tests/support/temp_tree.h"
#include "tests/support/unix_shell.h"
#include "tests/support/windows_limits.h"

namespace torvex::arj {
namespace {

namespace fs = std::filesystem;
using torvex::testing::TempTree;

int shell(const fs::path& dir, const std::string& cmd) {
  return torvex::testing::unixShell(dir, cmd).value_or(-1);
}

// The sample files: window edges, empty and tiny files, text and noise of a
// few megabytes, awkward names.
std::map<std::string, std::string> samples() {
  std::map<std::string, std::string> files = {
      {"empty.txt", ""},
      {"one.bin", "A"},
      {"edge26624.txt", testing::textBytes(26624, 1)},
      {"edge26625.bin", testing::randomBytes(26625, 2)},
      {"big text.txt", testing::textBytes(3 << 20, 3)},
      {"noise (1).bin", testing::randomBytes(2 << 20, 4)},
      {"mixed.dat", testing::textBytes(100000, 5) + testing::randomBytes(50000, 6) +
                        testing::textBytes(100000, 5)},
      {"packed start.dat", testing::randomBytes(300000, 7) + testing::textBytes(300000, 8)},
  };
  if (!torvex::testing::kPeersSpellNamesApart)
    files.emplace("a\xC3\xA7\xC3\xA3o.txt", "acentua\xC3\xA7\xC3\xA3o\n");
  return files;
}

void writeSamples(const TempTree& t, const std::string& dir) {
  for (const auto& [name, data] : samples()) t.write(dir + "/" + name, data);
}

void expectSamplesIn(const TempTree& t, const std::string& dir, const std::string& who) {
  for (const auto& [name, data] : samples()) {
    EXPECT_TRUE(t.exists(dir + "/" + name)) << who << ": " << name << " missing";
    EXPECT_TRUE(t.read(dir + "/" + name) == data) << who << ": " << name << " differs";
  }
}

class Peers : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<int> found =
        torvex::testing::unixShell(fs::current_path(), "command -v arj && command -v 7zz");
    if (!found) GTEST_SKIP() << torvex::testing::kNoUnixPeers;
    if (*found != 0) GTEST_SKIP() << "arj or 7zz not installed";
    if (torvex::testing::kPeersSpellNamesApart)
      std::printf("the accented sample is left out: %s\n", torvex::testing::kAccentsSpelledApart);
  }
};

TEST_F(Peers, ArchivesMadeByExecArjPassBothTools) {
  TempTree t;
  writeSamples(t, "src");
  for (const auto& [name, data] : samples())
    ASSERT_EQ(ExecArj(("a \"C:/ours.arj\" \"C:/src/" + name + "\"").c_str(), 0), 0) << name;
  EXPECT_EQ(shell(t.dir(), "arj t ours.arj"), 0);
  EXPECT_EQ(shell(t.dir(), "7zz t ours.arj"), 0);
  t.mkdir("by_arj");
  EXPECT_EQ(shell(t.path("by_arj"), "arj e -y ../ours.arj"), 0);
  expectSamplesIn(t, "by_arj", "arj");
  EXPECT_EQ(shell(t.dir(), "7zz x -y -oby_7zz ours.arj"), 0);
  expectSamplesIn(t, "by_7zz", "7zz");
}

TEST_F(Peers, EveryWriteMethodPassesBothTools) {
  TempTree t;
  for (int method = 0; method <= 4; ++method) {
    std::vector<testing::Entry> entries;
    for (const auto& [name, data] : samples()) entries.push_back({name, data, method});
    std::string archive = testing::buildArchive(entries);
    ASSERT_FALSE(archive.empty());
    std::string file = "m" + std::to_string(method) + ".arj";
    t.write(file, archive);
    EXPECT_EQ(shell(t.dir(), "arj t " + file), 0) << method;
    EXPECT_EQ(shell(t.dir(), "7zz t " + file), 0) << method;
    std::string out = "x" + std::to_string(method);
    EXPECT_EQ(shell(t.dir(), "7zz x -y -o" + out + " " + file), 0);
    expectSamplesIn(t, out, "7zz method " + std::to_string(method));
  }
}

TEST_F(Peers, ArchivesMadeByArjExtractWithExecArj) {
  TempTree t;
  writeSamples(t, "src/sub/deeper");
  t.write("src/top.txt", "top level\r\n");
  for (int method = 0; method <= 4; ++method) {
    std::string file = "arj" + std::to_string(method) + ".arj";
    ASSERT_EQ(shell(t.path("src"), "arj a -r -y -a1 -m" + std::to_string(method) + " ../" + file + " '*'"), 0);
    std::string out = "out" + std::to_string(method);
    t.mkdir(out);
    EXPECT_EQ(ExecArj(("t \"C:/" + file + "\"").c_str(), 0), 0) << method;
    EXPECT_EQ(ExecArj(("e \"C:/" + file + "\" \"C:/" + out + "/\" -y").c_str(), 0), 0) << method;
    // Stored directories are dropped: every file lands flat in the target.
    expectSamplesIn(t, out, "ours, arj -m" + std::to_string(method));
    EXPECT_EQ(t.read(out + "/top.txt"), "top level\r\n");
    EXPECT_FALSE(t.exists(out + "/sub"));
  }
}

TEST_F(Peers, SpecialFilesFromArjAreSkippedNotCreated) {
  TempTree t;
  t.write("src/f1", "hi\n");
  // The link is the shell's to make: the Windows build makes none. Both go
  // once packed: under Wine the tree's removal would wait on the FIFO for a
  // writer, and never end on the link once its target is gone.
  ASSERT_EQ(shell(t.path("src"),
                  "ln -s f1 link && mkfifo fifo && arj a -a1 -y ../special.arj f1 link fifo; "
                  "packed=$?; rm -f fifo link; test $packed = 0"),
            0);
  t.mkdir("out");
  EXPECT_EQ(ExecArj("t \"C:/special.arj\"", 0), 0);
  EXPECT_EQ(ExecArj("e \"C:/special.arj\" \"C:/out/\" -y", 0), 0);
  EXPECT_EQ(t.read("out/f1"), "hi\n");
  EXPECT_FALSE(fs::exists(fs::symlink_status(t.path("out/link"))));
  EXPECT_FALSE(fs::exists(fs::symlink_status(t.path("out/fifo"))));
}

TEST_F(Peers, DosHostArchiveFromArjExtracts) {
  TempTree t;
  t.write("src/dos.txt", testing::textBytes(5000, 9));
  ASSERT_EQ(shell(t.path("src"), "arj a -2d -y ../dos.arj dos.txt"), 0);
  t.mkdir("out");
  EXPECT_EQ(ExecArj("e \"C:/dos.arj\" \"C:/out/\" -y", 0), 0);
  EXPECT_EQ(t.read("out/dos.txt"), testing::textBytes(5000, 9));
}

}  // namespace
}  // namespace torvex::arj
