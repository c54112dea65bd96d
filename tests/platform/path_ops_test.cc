// Operations on names, with the Win32 error codes each failure gives.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/file.h"
#include "tests/support/temp_tree.h"
#include "tests/support/wine.h"
#include "tests/support/windows_limits.h"

namespace torvex {
namespace {

namespace fs = std::filesystem;

void makeReadOnly(const fs::path& p) {
  fs::permissions(p, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

// Runs `op` and gives its failure code, or 0 when it succeeded.
template <typename Op>
uint32_t errorOf(Op op) {
  return op() ? 0 : platform().lastError();
}

TEST(Attributes, FilesDirectoriesAndTrailingSeparators) {
  testing::TempTree t;
  t.write("d/file.txt", "x");
  t.mkdir("d/sub");
  EXPECT_EQ(platform().fileAttributes("C:/d/sub/"), kAttrDirectory);
  EXPECT_EQ(platform().fileAttributes("C:/d/file.txt"), kAttrArchive);
  EXPECT_EQ(platform().fileAttributes("C:/d/file.txt/"), kInvalidAttributes);
  // Wine answers as for a missing folder (docs/wine-departures.md, smaller ones).
  EXPECT_EQ(platform().lastError(), testing::underWine() ? kErrorPathNotFound : kErrorInvalidName);
  EXPECT_EQ(platform().fileAttributes("C:/d/file.txt/x"), kInvalidAttributes);
  EXPECT_EQ(platform().lastError(), kErrorPathNotFound);
  EXPECT_EQ(platform().fileAttributes("C:/d/missing"), kInvalidAttributes);
  EXPECT_EQ(platform().lastError(), kErrorFileNotFound);
  EXPECT_EQ(platform().fileAttributes("C:/d/nonexist/../file.txt"), kAttrArchive);
  EXPECT_EQ(platform().fileAttributes("C:/d/*.txt"), kInvalidAttributes);
  EXPECT_EQ(platform().lastError(), kErrorInvalidName);
  makeReadOnly(t.path("d/file.txt"));
  EXPECT_EQ(platform().fileAttributes("C:/D/FILE.TXT"), kAttrArchive | kAttrReadOnly);
}

// A device name (NUL, con.txt, COM1) is no entry to open, make, remove, move
// or link in any folder: Wine maps NUL to the host's /dev/null, which a
// delete run as root would otherwise unlink.
TEST(PathOps, DeviceNamesAreNeverEntries) {
  testing::TempTree t;
  t.write("h/f.txt", "f");
  struct Case {
    const char* what;
    bool (*op)(const char* device);
    uint32_t error;
  };
  const Case cases[] = {
      {"open for writing", [](const char* d) { return File(d, OpenMode::Write) ? true : false; },
       kErrorInvalidName},
      {"open for reading", [](const char* d) { return File(d, OpenMode::Read) ? true : false; },
       kErrorInvalidName},
      {"make folder", [](const char* d) { return platform().createDirectory(d); }, kErrorInvalidName},
      {"delete", [](const char* d) { return platform().deleteFile(d); }, kErrorAccessDenied},
      {"remove folder", [](const char* d) { return platform().removeDirectory(d); },
       kErrorAccessDenied},
      {"move from", [](const char* d) { return platform().moveFile(d, "C:/h/g.txt"); },
       kErrorAccessDenied},
      {"move onto", [](const char* d) { return platform().moveFile("C:/h/f.txt", d); },
       kErrorInvalidName},
      {"replace from", [](const char* d) { return platform().replaceFile(d, "C:/h/f.txt"); },
       kErrorAccessDenied},
      {"replace onto", [](const char* d) { return platform().replaceFile("C:/h/f.txt", d); },
       kErrorInvalidName},
      {"link onto", [](const char* d) { return platform().linkFile("C:/h/f.txt", d); },
       kErrorInvalidName},
  };
  for (const Case& c : cases) {
    for (const char* device : {"C:/h/CON", "C:/h/NUL", "C:/h/nul.txt", "C:/h/NUL.tar.gz",
                               "C:/h/aux.c", "C:/h/AUX ", "C:/h/lpt1.txt", "C:/h/com1.log",
                               "C:/h/CON "}) {
      EXPECT_EQ(errorOf([&] { return c.op(device); }), c.error) << c.what << " " << device;
    }
  }
  EXPECT_EQ(t.read("h/f.txt"), "f");
  EXPECT_EQ(t.names("h"), std::set<std::string>{"f.txt"});
  File ordinary("C:/h/CONX", OpenMode::Write);
  EXPECT_TRUE(ordinary);
}

TEST(CreateDirectory, ErrorCodes) {
  testing::TempTree t;
  t.write("f.txt", "");
  EXPECT_TRUE(platform().createDirectory("C:/new"));
  EXPECT_EQ(errorOf([] { return platform().createDirectory("C:/new"); }), kErrorAlreadyExists);
  EXPECT_EQ(errorOf([] { return platform().createDirectory("C:/NEW"); }), kErrorAlreadyExists);
  EXPECT_EQ(errorOf([] { return platform().createDirectory("C:/F.TXT"); }), kErrorAlreadyExists);
  EXPECT_EQ(errorOf([] { return platform().createDirectory("C:/no/child"); }), kErrorPathNotFound);
  EXPECT_EQ(errorOf([] { return platform().createDirectory("C:/wild*"); }), kErrorInvalidName);
  EXPECT_TRUE(platform().createDirectory("C:/dotted."));
  EXPECT_TRUE(t.exists("dotted"));
  EXPECT_TRUE(platform().createDirectory("C:/new/spdir \\"));
  EXPECT_TRUE(platform().createDirectory("C:/new/dots..\\"));
  EXPECT_TRUE(platform().createDirectory("C:/new/trail/"));
  EXPECT_EQ(t.names("new"), (std::set<std::string>{"dots.", "spdir ", "trail"}));
}

TEST(RemoveDirectory, ErrorCodes) {
  testing::TempTree t;
  t.write("full/x", "");
  t.write("file", "");
  t.mkdir("Empty");
  EXPECT_EQ(errorOf([] { return platform().removeDirectory("C:/full"); }), kErrorDirNotEmpty);
  EXPECT_EQ(errorOf([] { return platform().removeDirectory("C:/file"); }), kErrorDirectory);
  EXPECT_EQ(errorOf([] { return platform().removeDirectory("C:/none"); }), kErrorFileNotFound);
  EXPECT_TRUE(platform().removeDirectory("C:/EMPTY"));
  EXPECT_FALSE(t.exists("Empty"));
}

TEST(DeleteFile, OneFileOnly) {
  testing::TempTree t;
  t.write("e/Case.TXT", "");
  t.write("e/keep.tmp", "");
  t.write("e/ro.txt", "");
  t.mkdir("e/dir");
  makeReadOnly(t.path("e/ro.txt"));
  EXPECT_TRUE(platform().deleteFile("C:/e/case.txt"));
  EXPECT_FALSE(t.exists("e/Case.TXT"));
  EXPECT_EQ(errorOf([] { return platform().deleteFile("C:/e/case.txt"); }), kErrorFileNotFound);
  EXPECT_EQ(errorOf([] { return platform().deleteFile("C:/e/nodir/x"); }), kErrorPathNotFound);
  EXPECT_EQ(errorOf([] { return platform().deleteFile("C:/e/dir"); }), kErrorAccessDenied);
  EXPECT_EQ(errorOf([] { return platform().deleteFile("C:/e/dir/"); }), kErrorAccessDenied);
  EXPECT_EQ(errorOf([] { return platform().deleteFile("C:/e/*.tmp"); }), kErrorInvalidName);
  EXPECT_EQ(errorOf([] { return platform().deleteFile("C:/e/keep.tm?"); }), kErrorInvalidName);
  EXPECT_EQ(errorOf([] { return platform().deleteFile("C:/e/ro.txt"); }), kErrorAccessDenied);
  EXPECT_TRUE(t.exists("e/keep.tmp"));
  EXPECT_TRUE(t.exists("e/ro.txt"));
}

TEST(DeleteFile, AFileHeldOpenIsNotDeleted) {
  testing::TempTree t;
  t.write("busy.txt", "x");
  {
    File f("C:/busy.txt", OpenMode::Read);
    ASSERT_TRUE(f);
    EXPECT_EQ(errorOf([] { return platform().deleteFile("C:/busy.txt"); }),
              kErrorSharingViolation);
    EXPECT_EQ(errorOf([] { return platform().moveFile("C:/busy.txt", "C:/moved.txt"); }),
              kErrorSharingViolation);
  }
  EXPECT_TRUE(platform().deleteFile("C:/busy.txt"));
}

TEST(DeleteFile, RemovesALinkNotItsTarget) {
  if (testing::kNoSymbolicLinks) GTEST_SKIP() << testing::kLinksNotMade;
  testing::TempTree t;
  t.write("target.txt", "kept");
  fs::create_symlink(t.path("target.txt"), t.path("link.txt"));
  fs::create_symlink(t.path("missing"), t.path("dangling"));
  EXPECT_TRUE(platform().deleteFile("C:/LINK.TXT"));
  EXPECT_TRUE(platform().deleteFile("C:/dangling"));
  EXPECT_EQ(t.read("target.txt"), "kept");
  EXPECT_FALSE(t.exists("link.txt"));
  EXPECT_FALSE(t.exists("dangling"));
}

// A link is its target's identity; one that leads to no file has none,
// though its name stands (as opening it fails on Windows).
TEST(FileIdentity, ALinkIsItsTargetAndALinkToNothingIsNoFile) {
  if (testing::kNoSymbolicLinks) GTEST_SKIP() << testing::kLinksNotMade;
  testing::TempTree t;
  t.write("target.txt", "x");
  fs::create_symlink(t.path("target.txt"), t.path("link.txt"));
  fs::create_symlink(t.path("missing"), t.path("dangling"));
  FileIdentity target, link, dangling;
  ASSERT_TRUE(platform().fileIdentity("C:/target.txt", target));
  ASSERT_TRUE(platform().fileIdentity("C:/link.txt", link));
  EXPECT_EQ(link, target);
  EXPECT_TRUE(pathExists("C:/dangling"));
  EXPECT_EQ(errorOf([&] { return platform().fileIdentity("C:/dangling", dangling); }),
            kErrorFileNotFound);
}

TEST(MoveFile, NeverReplaces) {
  testing::TempTree t;
  t.write("a/src", "s");
  t.write("a/a2", "other");
  t.write("a/b.txt", "b");
  t.mkdir("a/dir");
  EXPECT_EQ(errorOf([] { return platform().moveFile("C:/a/src", "C:/a/a2"); }),
            kErrorAlreadyExists);
  EXPECT_EQ(errorOf([] { return platform().moveFile("C:/a/src", "C:/a/B.TXT"); }),
            kErrorAlreadyExists);
  EXPECT_EQ(errorOf([] { return platform().moveFile("C:/a/src", "C:/a/dir"); }),
            kErrorAlreadyExists);
  EXPECT_EQ(errorOf([] { return platform().moveFile("C:/a/s*", "C:/a/x"); }), kErrorInvalidName);
  EXPECT_EQ(errorOf([] { return platform().moveFile("C:/a/none", "C:/a/x"); }),
            kErrorFileNotFound);
  EXPECT_EQ(errorOf([] { return platform().moveFile("C:/a/src", "C:/nodir/x"); }),
            kErrorPathNotFound);
  EXPECT_EQ(t.read("a/src"), "s");
  EXPECT_EQ(t.read("a/a2"), "other");
  EXPECT_EQ(t.read("a/b.txt"), "b");
}

TEST(MoveFile, RenamesAcrossDirectoriesAndStripsTrailingDots) {
  testing::TempTree t;
  t.write("a/src", "s");
  t.write("a/tree/in", "i");
  t.mkdir("b");
  EXPECT_TRUE(platform().moveFile("C:/a/src", "C:/a/moved."));
  EXPECT_EQ(t.read("a/moved"), "s");
  EXPECT_TRUE(platform().moveFile("C:/A/MOVED", "C:/B/there.txt"));
  EXPECT_EQ(t.read("b/there.txt"), "s");
  EXPECT_TRUE(platform().moveFile("C:/a/tree", "C:/b/Tree2"));
  EXPECT_EQ(t.read("b/Tree2/in"), "i");
}

TEST(MoveFile, OntoItselfOrItsOwnOtherCase) {
  testing::TempTree t;
  t.write("same.txt", "x");
  t.write("lower.txt", "y");
  EXPECT_TRUE(platform().moveFile("C:/same.txt", "C:/same.txt"));
  EXPECT_TRUE(platform().moveFile("C:/same.txt", "C:/SAME.TXT."));
  EXPECT_TRUE(platform().moveFile("C:/lower.txt", "C:/LOWER.TXT"));
  // Wine keeps the old spelling (W3 in docs/wine-departures.md).
  const bool w3 = testing::underWine();
  EXPECT_EQ(t.names(""), (std::set<std::string>{w3 ? "lower.txt" : "LOWER.TXT",
                                                 w3 ? "same.txt" : "SAME.TXT"}));
  EXPECT_EQ(t.read("LOWER.TXT"), "y");
}

TEST(MoveFile, MovesALinkNotItsTarget) {
  if (testing::kNoSymbolicLinks) GTEST_SKIP() << testing::kLinksNotMade;
  testing::TempTree t;
  t.write("target.txt", "kept");
  fs::create_symlink("target.txt", t.path("link"));
  EXPECT_TRUE(platform().moveFile("C:/link", "C:/renamed"));
  EXPECT_TRUE(fs::is_symlink(t.path("renamed")));
  EXPECT_EQ(t.read("target.txt"), "kept");
}

TEST(ReplaceFile, ReplacesAtomicallyKeepingTheTargetSpelling) {
  testing::TempTree t;
  t.write("new.tmp", "fresh");
  t.write("Data.TXT", "stale");
  EXPECT_TRUE(platform().replaceFile("C:/new.tmp", "C:/data.txt"));
  EXPECT_EQ(t.read("Data.TXT"), "fresh");
  EXPECT_EQ(t.names(""), std::set<std::string>{"Data.TXT"});
  t.write("again.tmp", "x");
  EXPECT_TRUE(platform().replaceFile("C:/again.tmp", "C:/brand-new.txt"));
  EXPECT_EQ(t.read("brand-new.txt"), "x");
}

TEST(ReplaceFile, RefusesDirectoriesAndReadOnlyTargets) {
  testing::TempTree t;
  t.write("src", "s");
  t.write("ro", "r");
  t.mkdir("dir");
  makeReadOnly(t.path("ro"));
  EXPECT_EQ(errorOf([] { return platform().replaceFile("C:/src", "C:/dir"); }), kErrorAccessDenied);
  if (testing::underWine()) GTEST_SKIP() << testing::kReadOnlyWrittenAsRoot;
  EXPECT_EQ(errorOf([] { return platform().replaceFile("C:/src", "C:/ro"); }), kErrorAccessDenied);
  EXPECT_EQ(t.read("ro"), "r");
  EXPECT_EQ(t.read("src"), "s");
}

// A new directory on another file system than the tree's (the memory file
// system or the disk, whichever the tree is not on), or "" when none is.
fs::path otherFileSystem(const testing::TempTree& t) {
  t.write("probe", "");
  for (const fs::path& base : {fs::path("/dev/shm"), fs::temp_directory_path(), fs::path("/var/tmp")}) {
    std::error_code ec;
    const fs::path dir = base / ("torvex-other-" + t.dir().filename().string());
    if (!fs::create_directory(dir, ec)) continue;
    fs::rename(t.path("probe"), dir / "probe", ec);
    if (ec == std::errc::cross_device_link) return dir;
    fs::remove_all(dir, ec);
    if (!ec && !t.exists("probe")) t.write("probe", "");
  }
  return {};
}

// That directory, removed with the test.
struct OtherFileSystem {
  explicit OtherFileSystem(const testing::TempTree& t) : dir(otherFileSystem(t)) {}
  ~OtherFileSystem() {
    std::error_code e;
    if (!dir.empty()) fs::remove_all(dir, e);
  }
  const fs::path dir;
};

// rename(2) cannot cross file systems: the move must copy and delete.
TEST(MoveFile, CopiesThenDeletesAcrossFileSystems) {
  if (testing::kWin32Surroundings) GTEST_SKIP() << testing::kOtherVolumeByPosixPath;
  testing::TempTree t;
  const OtherFileSystem otherOne(t);
  const fs::path& other = otherOne.dir;
  if (other.empty()) GTEST_SKIP() << "only one file system";
  t.write("src.txt", "payload");
  t.write("old.txt", "replacement");
  std::filesystem::last_write_time(t.path("src.txt"), fs::file_time_type::clock::now() -
                                                          std::chrono::hours(1));
  const auto when = fs::last_write_time(t.path("src.txt"));
  const std::string target = other.string() + "/moved.txt";
  ASSERT_TRUE(platform().moveFile("C:/src.txt", target.c_str()));
  EXPECT_FALSE(t.exists("src.txt"));
  EXPECT_EQ(fs::last_write_time(other / "moved.txt"), when);
  EXPECT_EQ(errorOf([&] { return platform().moveFile("C:/old.txt", target.c_str()); }),
            kErrorAlreadyExists);
  ASSERT_TRUE(platform().replaceFile("C:/old.txt", target.c_str()));
  EXPECT_FALSE(t.exists("old.txt"));
  std::ifstream in(other / "moved.txt");
  std::string text;
  std::getline(in, text);
  EXPECT_EQ(text, "replacement");
}

// A second name of one file: its identity, its bytes, and a name of a file
// held open, which goes no more than the file's own name does.
TEST(LinkFile, ASecondNameOfTheSameFile) {
  testing::TempTree t;
  t.write("a.txt", "one");
  t.write("taken", "");
  t.mkdir("dir");
  {
    File held("C:/a.txt", OpenMode::Read);
    ASSERT_TRUE(held);
    EXPECT_TRUE(platform().linkFile("C:/a.txt", "C:/dir/second"));
    EXPECT_EQ(errorOf([] { return platform().deleteFile("C:/dir/second"); }), kErrorSharingViolation);
  }
  FileIdentity a, b;
  ASSERT_TRUE(platform().fileIdentity("C:/a.txt", a));
  ASSERT_TRUE(platform().fileIdentity("C:/dir/second", b));
  EXPECT_TRUE(a == b);
  EXPECT_TRUE(platform().deleteFile("C:/a.txt"));
  EXPECT_EQ(t.read("dir/second"), "one");
  EXPECT_EQ(errorOf([] { return platform().linkFile("C:/dir/second", "C:/TAKEN"); }), kErrorAlreadyExists);
  EXPECT_EQ(errorOf([] { return platform().linkFile("C:/none", "C:/x"); }), kErrorFileNotFound);
  EXPECT_EQ(errorOf([] { return platform().linkFile("C:/dir", "C:/x"); }), kErrorAccessDenied);
  EXPECT_EQ(errorOf([] { return platform().linkFile("C:/taken", "C:/no/x"); }), kErrorPathNotFound);
  EXPECT_EQ(t.read("taken"), "");
}

TEST(LinkFile, NeverAcrossFileSystems) {
  if (testing::kWin32Surroundings) GTEST_SKIP() << testing::kOtherVolumeByPosixPath;
  testing::TempTree t;
  const OtherFileSystem other(t);
  if (other.dir.empty()) GTEST_SKIP() << "only one file system";
  t.write("a.txt", "one");
  const std::string target = other.dir.string() + "/second";
  EXPECT_EQ(errorOf([&] { return platform().linkFile("C:/a.txt", target.c_str()); }),
            kErrorNotSameDevice);
  EXPECT_FALSE(fs::exists(target));
}

TEST(SyncDirectory, NeedsADirectory) {
  testing::TempTree t;
  t.write("d/f", "");
  EXPECT_TRUE(platform().syncDirectory("C:/D"));
  EXPECT_EQ(errorOf([] { return platform().syncDirectory("C:/d/f"); }), kErrorDirectory);
  EXPECT_EQ(errorOf([] { return platform().syncDirectory("C:/none"); }), kErrorFileNotFound);
}

// A barrier passes over what is gone since it was noted (there is nothing of
// it to keep) but reports a path it cannot flush.
TEST(MakeDurable, PassesOverWhatIsGoneAndReportsWhatFails) {
  testing::TempTree t;
  t.write("d/f", "x");
  t.write("d/g", "y");
  EXPECT_TRUE(platform().makeDurable({"C:/D/F", "C:/d/g", "C:/d/gone", "C:/none/f"},
                                     {"C:/d", "C:/none"}));
  EXPECT_TRUE(platform().makeDurable({}, {}));
  EXPECT_EQ(errorOf([] { return platform().makeDurable({"C:/d/f"}, {"C:/d/g", "C:/d"}); }),
            kErrorDirectory);
}

}  // namespace
}  // namespace torvex
