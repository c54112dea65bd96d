// How path text reaches a file: normalisation and case-insensitive lookup,
// and what the lookup remembers.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "platform/file.h"
#ifndef _WIN32
#include "platform/platform_posix.h"
#endif
#include "platform/win_path.h"
#include "tests/support/temp_tree.h"
#include "tests/support/windows_limits.h"

namespace torvex {
namespace {

namespace fs = std::filesystem;
using testing::TempTree;

std::string readAll(const char* path) {
  File f(path, OpenMode::Read);
  if (!f) return "<absent>";
  std::string out(64, '\0');
  long n = f.read(out.data(), out.size());
  out.resize(n < 0 ? 0 : static_cast<size_t>(n));
  return out;
}

TEST(Normalise, SplitsDriveSeparatorsDotsAndTrailingCharacters) {
  winpath::ParsedPath p = winpath::parse("C:\\wp/b\\\\BIN//f.txt. . ");
  EXPECT_EQ(p.root, winpath::Root::Drive);
  EXPECT_EQ(p.drive, 3);
  EXPECT_EQ(p.components, (std::vector<std::string>{"wp", "b", "BIN", "f.txt"}));

  EXPECT_EQ(winpath::parse("C:/../../x").components, std::vector<std::string>{"x"});
  EXPECT_EQ(winpath::parse("c/nonexist/../file").components,
            (std::vector<std::string>{"c", "file"}));
  EXPECT_EQ(winpath::parse("a./x").components, (std::vector<std::string>{"a", "x"}));
  EXPECT_EQ(winpath::parse("a /x").components, (std::vector<std::string>{"a ", "x"}));
  EXPECT_EQ(winpath::parse("w/dots../").components, (std::vector<std::string>{"w", "dots."}));
  EXPECT_EQ(winpath::parse(" lead/.lead").components,
            (std::vector<std::string>{" lead", ".lead"}));

  winpath::ParsedPath vanished = winpath::parse("a\\...");
  EXPECT_EQ(vanished.components, std::vector<std::string>{"a"});
  EXPECT_TRUE(vanished.trailingSeparator);

  EXPECT_EQ(winpath::parse("../../x/..").components, (std::vector<std::string>{"..", ".."}));
  EXPECT_EQ(winpath::parse("C:../x").components, std::vector<std::string>{"x"});
  EXPECT_EQ(winpath::parse("//srv/share/x").root, winpath::Root::Network);
  EXPECT_EQ(winpath::parse("/etc").root, winpath::Root::Absolute);
  EXPECT_TRUE(winpath::parse("D:rel").driveRelative);
}

TEST(Normalise, KnowsDeviceNamesAndInvalidCharacters) {
  for (const char* n : {"CON", "con", "NUL", "nul.txt", "NUL.tar.gz", "AUX", "aux.c", "PRN",
                        "LPT1", "lpt1.txt", "COM1", "com1.log", "COM9", "CON.TXT", "CON ",
                        "nul .txt", "CONIN$", "CONOUT$"}) {
    EXPECT_TRUE(winpath::isDeviceName(n)) << n;
  }
  for (const char* n : {"CONX", "COM0", "LPT0", "console", "xnul", "COM10"}) {
    EXPECT_FALSE(winpath::isDeviceName(n)) << n;
  }
  for (const char* n : {"a:b", "x*", "q?", "l<", "g>", "d\"q", "p|p", "tab\t"}) {
    EXPECT_TRUE(winpath::isInvalidName(n)) << n;
  }
  EXPECT_FALSE(winpath::isInvalidName("paren(1) name.txt"));
}

// Only the drive's colon is no stream's.
TEST(Normalise, TellsAStreamFromADrive) {
  for (const char* p : {"C:/a:b", "C:/d/file.txt:stream", "a.txt:hidden", "C:x.txt::$DATA",
                        "\\\\?\\C:\\a:b", "//./C:/d/x:y", ":x", "C:/d:/x.txt"}) {
    EXPECT_TRUE(winpath::namesAStream(p)) << p;
  }
  for (const char* p : {"", "C:", "C:/d/x.txt", "c:rel.txt", "x.txt", "\\\\?\\C:\\d\\x",
                        "//./C:/d", "\\\\server\\share\\x.txt", "/tmp/x"}) {
    EXPECT_FALSE(winpath::namesAStream(p)) << p;
  }
}

TEST(Resolution, EveryLetterCaseNamesTheSameDirectory) {
  testing::TempTree t;
  t.write("T/Outtray/Work/F1_a_txt.ARJ", "arj");
  for (const char* p : {"C:/T/Outtray/Work/F1_a_txt.ARJ", "C:/t/OUTTRAY/WORK/f1_A_TXT.arj",
                        "c:\\t\\outtray\\work\\f1_a_txt.arj", "C:/T//Outtray/./Work/x/../F1_a_txt.ARJ"}) {
    EXPECT_EQ(readAll(p), "arj") << p;
  }
}

TEST(Resolution, AccentedLettersFoldPerCharacter) {
  if (testing::kWin32Surroundings) GTEST_SKIP() << testing::kAnsiIsUtf8;
  testing::TempTree t;
  t.write("Relatório.TXT", "r");
  t.write("AÇÃO.txt", "a");
  EXPECT_EQ(readAll("C:/RELATÓRIO.TXT"), "r");
  EXPECT_EQ(readAll("C:/relatório.txt"), "r");
  EXPECT_EQ(readAll("C:/ação.TXT"), "a");
}

TEST(Resolution, ExactSpellingWinsAmongCaseTwins) {
  if (testing::kCaseBlindVolume) GTEST_SKIP() << testing::kNoCaseTwins;
  testing::TempTree t;
  t.write("Dup.txt", "first");
  t.write("DUP.TXT", "second");
  EXPECT_EQ(readAll("C:/Dup.txt"), "first");
  EXPECT_EQ(readAll("C:/DUP.TXT"), "second");
  std::string either = readAll("C:/dup.txt");
  EXPECT_TRUE(either == "first" || either == "second");
}

TEST(Resolution, WritingKeepsTheExistingSpelling) {
  testing::TempTree t;
  t.write("j/ABC.txt", "old");
  {
    File f("C:/j/abc.TXT", OpenMode::Write);
    ASSERT_TRUE(f);
    EXPECT_EQ(platform().lastError(), kErrorAlreadyExists);
    ASSERT_TRUE(f.writeAll("new", 3));
  }
  EXPECT_EQ(t.read("j/ABC.txt"), "new");
  EXPECT_EQ(t.names("j"), std::set<std::string>{"ABC.txt"});
  // A new file takes the case it is given.
  { File f("C:/j/NewOne.Txt", OpenMode::Write); }
  EXPECT_EQ(t.names("j"), (std::set<std::string>{"ABC.txt", "NewOne.Txt"}));
}

TEST(Resolution, TrailingDotsAndSpacesOfTheLastComponentGo) {
  testing::TempTree t;
  t.mkdir("a");
  { File f("C:/a/enviado.", OpenMode::CreateNew); }
  { File f("C:/a/trail ", OpenMode::CreateNew); }
  { File f("C:/a/multi. . .", OpenMode::CreateNew); }
  EXPECT_TRUE(t.exists("a/enviado"));
  EXPECT_TRUE(t.exists("a/trail"));
  EXPECT_TRUE(t.exists("a/multi"));
  EXPECT_EQ(platform().fileAttributes("C:/a/enviado . . "), kAttrArchive);
  EXPECT_EQ(platform().fileAttributes("C:/a./enviado"), kAttrArchive);
  EXPECT_EQ(platform().fileAttributes("C:/a /enviado"), kInvalidAttributes);
  EXPECT_EQ(platform().lastError(), kErrorPathNotFound);
}

TEST(Resolution, SeesChangesMadeBehindItsBack) {
  testing::TempTree t;
  t.mkdir("d");
  // Fill the cache with a miss, then change the directory directly.
  EXPECT_EQ(platform().fileAttributes("C:/d/LATE.TXT"), kInvalidAttributes);
  t.write("d/late.txt", "x");
  EXPECT_EQ(platform().fileAttributes("C:/d/LATE.TXT"), kAttrArchive);
  std::filesystem::rename(t.path("d/late.txt"), t.path("d/Later.txt"));
  EXPECT_EQ(platform().fileAttributes("C:/d/LATE.TXT"), kInvalidAttributes);
  EXPECT_EQ(platform().fileAttributes("C:/d/LATER.TXT"), kAttrArchive);
}

TEST(Resolution, CreatingManyFilesKeepsEveryNameDistinct) {
  testing::TempTree t;
  t.mkdir("many");
  for (int i = 0; i < 300; ++i) {
    std::string name = "C:/many/F" + std::to_string(i) + ".dat";
    File f(name.c_str(), OpenMode::CreateNew);
    ASSERT_TRUE(f) << name;
  }
  // Every one is found in another case, and a twin in another case is refused.
  for (int i = 0; i < 300; i += 37) {
    std::string other = "C:/MANY/f" + std::to_string(i) + ".DAT";
    EXPECT_EQ(platform().fileAttributes(other.c_str()), kAttrArchive) << other;
    File twin(other.c_str(), OpenMode::CreateNew);
    EXPECT_FALSE(twin);
    EXPECT_EQ(platform().lastError(), kErrorFileExists);
  }
}

TEST(Resolution, PosixPathsAndRelativePaths) {
  testing::TempTree t;
  t.write("p/File.txt", "posix");
  const std::string absolute = t.path("p/FILE.TXT").string();
  EXPECT_EQ(readAll(absolute.c_str()), "posix");
  ASSERT_TRUE(platform().setCurrentDrive(3));
  EXPECT_EQ(readAll("p/file.txt"), "posix");
  EXPECT_EQ(readAll("P\\..\\p\\FILE.txt"), "posix");
  EXPECT_EQ(readAll("C:p/file.txt"), "posix");
  // The current directory's own name is not rewritten, though it ends in a dot.
  t.write("dot./f.txt", "inside");
  std::filesystem::current_path(t.path("dot."));
  EXPECT_EQ(readAll("F.TXT"), "inside");
  EXPECT_EQ(readAll("../P/file.txt"), "posix");
}

TEST(Resolution, NetworkPathsAreNotServed) {
  if (testing::kWin32Surroundings) GTEST_SKIP() << testing::kNetworkPathsServed;
  EXPECT_EQ(platform().fileAttributes("\\\\servidor\\pasta"), kInvalidAttributes);
  EXPECT_EQ(platform().lastError(), kErrorPathNotFound);
}

// The lookups this layer remembers (directories found in another letter
// case, directory listings) never give an answer a fresh lookup would not:
// whatever changes on the way, by another program or by this layer, a name
// reaches the file it reaches with nothing remembered, and a new file lands
// where a fresh lookup puts it.
constexpr const char* kSpelled = "C:/T/outtray/work/a.txt";
constexpr const char* kNew = "C:/T/outtray/work/b.txt";
constexpr const char* kDirectory = "C:/T/outtray";

struct Case {
  const char* what;
  std::function<void(const TempTree&)> change;
  const char* reads;  // what kSpelled then reads
  const char* lands;  // the directory kNew is then made in; null when none
  std::function<void(const TempTree&)> arrange = {};  // else T/OutTray/Work/a.txt = "old"
};

void rename(const TempTree& t, const char* from, const char* to) {
  fs::rename(t.path(from), t.path(to));
}

void linkTo(const TempTree& t, const char* target) {
  fs::create_directory_symlink(t.path(target), t.path("T/OutTray"));
}

const Case kCases[] = {
    {"the chosen directory is renamed away",
     [](const TempTree& t) { rename(t, "T/OutTray", "T/Gone"); }, "<absent>", nullptr},
    {"the chosen directory is replaced",
     [](const TempTree& t) {
       rename(t, "T/OutTray", "T/Old");
       t.write("T/OutTray/Work/a.txt", "new");
     },
     "new", "T/OutTray/Work"},
    {"the exact spelling appears beside it",
     [](const TempTree& t) { t.write("T/outtray/work/a.txt", "exact"); }, "exact",
     "T/outtray/work"},
    {"a twin that sorts first appears beside it",
     [](const TempTree& t) { t.write("T/OUTTRAY/Work/a.txt", "first"); }, "first",
     "T/OUTTRAY/Work"},
    {"a twin that sorts later appears beside it",
     [](const TempTree& t) { t.write("T/outTray/Work/a.txt", "later"); }, "old",
     "T/OutTray/Work"},
    {"an ancestor reached by its exact name is replaced",
     [](const TempTree& t) {
       rename(t, "T", "T.old");
       t.write("T/OutTray/Work/a.txt", "new");
     },
     "new", "T/OutTray/Work"},
    {"the last directory is replaced in another case",
     [](const TempTree& t) {
       rename(t, "T/OutTray/Work", "T/OutTray/Work.old");
       t.write("T/OutTray/WORK/a.txt", "new");
     },
     "new", "T/OutTray/WORK"},
    {"the chosen directory becomes a file",
     [](const TempTree& t) {
       rename(t, "T/OutTray", "T/Old");
       t.write("T/OutTray", "file");
     },
     "<absent>", nullptr},
    {"a link on the way is pointed elsewhere",
     [](const TempTree& t) {
       fs::remove(t.path("T/OutTray"));
       linkTo(t, "B");
     },
     "b", "B/Work",
     [](const TempTree& t) {
       t.write("A/Work/a.txt", "a");
       t.write("B/Work/a.txt", "b");
       t.mkdir("T");
       linkTo(t, "A");
     }},
    {"this layer moves the chosen directory and makes another",
     [](const TempTree&) {
       ASSERT_TRUE(platform().moveFile("C:/T/outtray", "C:/T/Old"));
       ASSERT_TRUE(platform().createDirectory("C:/T/OUTTRAY"));
       ASSERT_TRUE(platform().createDirectory("C:/T/OUTTRAY/Work"));
       File f("C:/t/outtray/WORK/a.txt", OpenMode::CreateNew);
       ASSERT_TRUE(f.writeAll("new", 3));
     },
     "new", "T/OUTTRAY/Work"},
    {"this layer adds names beside the chosen directory",
     [](const TempTree&) {
       ASSERT_TRUE(platform().createDirectory("C:/T/Other"));
       File f("C:/T/other.txt", OpenMode::CreateNew);
       ASSERT_TRUE(f);
     },
     "old", "T/OutTray/Work"},
    {"the exact spelling appears after this layer's own change",
     [](const TempTree& t) {
       ASSERT_TRUE(platform().createDirectory("C:/T/Other"));
       t.write("T/outtray/work/a.txt", "exact");
     },
     "exact", "T/outtray/work"},
    {"the exact spelling appears before this layer's own change",
     [](const TempTree& t) {
       t.write("T/outtray/work/a.txt", "exact");
       ASSERT_TRUE(platform().createDirectory("C:/T/Other"));
     },
     "exact", "T/outtray/work"},
    {"this layer changes the listed directory by exact names, then a twin appears",
     [](const TempTree& t) {
       {
         File f("C:/T/OutTray/Work/c.txt", OpenMode::CreateNew);
         ASSERT_TRUE(f);
       }
       ASSERT_TRUE(platform().deleteFile("C:/T/OutTray/Work/a.txt"));
       ASSERT_TRUE(platform().moveFile("C:/T/OutTray/Work/c.txt", "C:/T/OutTray/Work/d.txt"));
       EXPECT_EQ(platform().fileAttributes("C:/T/OutTray/Work/C.TXT"), kInvalidAttributes);
       EXPECT_EQ(platform().fileAttributes("C:/T/OutTray/Work/D.TXT"), kAttrArchive);
       t.write("T/OutTray/Work/A.TXT", "twin");
     },
     "twin", "T/OutTray/Work"},
    {"a twin of the last directory appears after this layer's own change",
     [](const TempTree& t) {
       File f("C:/T/outtray/x.txt", OpenMode::CreateNew);
       ASSERT_TRUE(f);
       t.write("T/OutTray/work/a.txt", "exact");
     },
     "exact", "T/OutTray/work"},
};

TEST(LookupCache, AnswersAsAFreshLookupWhateverChanges) {
  if (testing::kWin32Surroundings) GTEST_SKIP() << testing::kPosixLookupCache;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    TempTree t;
    if (c.arrange) c.arrange(t);
    else t.write("T/OutTray/Work/a.txt", "old");
    // Twice, so that the second answer comes from what the first remembered.
    // The directory itself is looked up as a last component.
    ASSERT_EQ(readAll(kSpelled), c.arrange ? "a" : "old");
    ASSERT_EQ(readAll(kSpelled), c.arrange ? "a" : "old");
    ASSERT_EQ(platform().fileAttributes(kDirectory), kAttrDirectory);
    ASSERT_EQ(platform().fileAttributes(kDirectory), kAttrDirectory);

    c.change(t);
    EXPECT_EQ(readAll(kSpelled), c.reads);
    const uint32_t remembered = platform().fileAttributes(kDirectory);
    {
      File made(kNew, OpenMode::CreateNew);
      EXPECT_EQ(static_cast<bool>(made), c.lands != nullptr);
      if (!made) {
        EXPECT_EQ(platform().lastError(), kErrorPathNotFound);
      }
    }
    if (c.lands) {
      EXPECT_TRUE(t.exists(std::string(c.lands) + "/b.txt"));
    }

    // And the same with nothing remembered.
#ifndef _WIN32
    reloadEnvironment();
#endif
    EXPECT_EQ(readAll(kSpelled), c.reads);
    EXPECT_EQ(platform().fileAttributes(kDirectory), remembered);
    EXPECT_EQ(platform().fileAttributes(kNew), c.lands ? kAttrArchive : kInvalidAttributes);
  }
}

// Files this layer creates one after another in a directory reached in
// another case stay distinct, and each is found at once by its own name.
TEST(LookupCache, KeepsUpWithThisLayersOwnChanges) {
  TempTree t;
  t.mkdir("T/OutTray/Work");
  for (int i = 0; i < 50; ++i) {
    const std::string name = "C:/t/outtray/work/F" + std::to_string(i);
    {
      File f((name + ".tmp").c_str(), OpenMode::CreateNew);
      ASSERT_TRUE(f) << name;
    }
    ASSERT_TRUE(platform().moveFile((name + ".tmp").c_str(), (name + ".ARJ").c_str()));
    EXPECT_EQ(platform().fileAttributes((name + ".arj").c_str()), kAttrArchive);
    EXPECT_EQ(platform().fileAttributes((name + ".tmp").c_str()), kInvalidAttributes);
  }
  EXPECT_TRUE(t.exists("T/OutTray/Work/F49.ARJ"));
  EXPECT_EQ(std::distance(fs::directory_iterator(t.path("T/OutTray/Work")),
                          fs::directory_iterator()),
            50);
}

}  // namespace
}  // namespace torvex
