// The lookups this layer remembers (directories found in another letter
// case, directory listings) never give an answer a fresh lookup would not:
// whatever changes on the way, by another program or by this layer, a name
// reaches the file it reaches with nothing remembered, and a new file lands
// where a fresh lookup puts it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/file.h"
#include "platform/platform_posix.h"
#include "tests/support/temp_tree.h"

namespace torvex {
namespace {

namespace fs = std::filesystem;
using testing::TempTree;

constexpr const char* kSpelled = "C:/T/outtray/work/a.txt";
constexpr const char* kNew = "C:/T/outtray/work/b.txt";

std::string readAll(const char* path) {
  File f(path, OpenMode::Read);
  if (!f) return "<absent>";
  std::string out(64, '\0');
  long n = f.read(out.data(), out.size());
  out.resize(n < 0 ? 0 : static_cast<size_t>(n));
  return out;
}

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
    {"a twin of the last directory appears after this layer's own change",
     [](const TempTree& t) {
       File f("C:/T/outtray/x.txt", OpenMode::CreateNew);
       ASSERT_TRUE(f);
       t.write("T/OutTray/work/a.txt", "exact");
     },
     "exact", "T/OutTray/work"},
};

TEST(LookupCache, AnswersAsAFreshLookupWhateverChanges) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    TempTree t;
    if (c.arrange) c.arrange(t);
    else t.write("T/OutTray/Work/a.txt", "old");
    // Twice, so that the second answer comes from what the first remembered.
    ASSERT_EQ(readAll(kSpelled), c.arrange ? "a" : "old");
    ASSERT_EQ(readAll(kSpelled), c.arrange ? "a" : "old");

    c.change(t);
    EXPECT_EQ(readAll(kSpelled), c.reads);
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
    reloadEnvironment();
    EXPECT_EQ(readAll(kSpelled), c.reads);
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
