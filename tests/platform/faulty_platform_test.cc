#include <gtest/gtest.h>

#include "platform/file.h"
#include "tests/support/faulty_platform.h"
#include "tests/support/temp_tree.h"

namespace torvex {
namespace {

TEST(FaultyPlatform, FailsExactlyTheChosenOperationAndLogsEachOne) {
  testing::TempTree t;
  testing::FaultyPlatform faulty;
  faulty.failAt(3);
  {
    File f("C:/a.txt", OpenMode::Write);  // 1 open
    ASSERT_TRUE(f);
    EXPECT_TRUE(f.writeAll("x", 1));   // 2 write
    EXPECT_FALSE(f.writeAll("y", 1));  // 3 write: fails
    EXPECT_EQ(platform().lastError(), kErrorGenFailure);
  }  // 4 close
  EXPECT_EQ(faulty.count(), 4);
  EXPECT_EQ(faulty.log(), (std::vector<std::string>{"open C:/a.txt", "write ", "write ", "close "}));
  EXPECT_EQ(t.read("a.txt"), "x");
}

TEST(FaultyPlatform, AFailedOpenReturnsNullWithAnError) {
  testing::TempTree t;
  testing::FaultyPlatform faulty;
  faulty.setFailureCode(kErrorDiskFull);
  faulty.failAt(1);
  File f("C:/b.txt", OpenMode::Write);
  EXPECT_FALSE(f);
  EXPECT_EQ(platform().lastError(), kErrorDiskFull);
  EXPECT_FALSE(t.exists("b.txt"));
}

TEST(FaultyPlatform, AFailedCloseStillReleasesTheFile) {
  testing::TempTree t;
  {
    testing::FaultyPlatform faulty;
    faulty.failAt(2);
    File f("C:/c.txt", OpenMode::Write);
    EXPECT_FALSE(f.close());
  }
  // Had the handle leaked, the file would still count as open here.
  EXPECT_TRUE(platform().deleteFile("C:/c.txt"));
}

TEST(FaultyPlatform, PathOperationsCountAndTheClockCanBeFixed) {
  testing::TempTree t;
  t.write("m", "");
  testing::FaultyPlatform faulty;
  faulty.failAt(2);
  EXPECT_TRUE(platform().createDirectory("C:/d"));
  EXPECT_FALSE(platform().moveFile("C:/m", "C:/d/m"));
  EXPECT_TRUE(t.exists("m"));
  EXPECT_EQ(faulty.log().back(), "move C:/m -> C:/d/m");
  faulty.setNow(LocalTime{2003, 2, 1, 4, 5, 6});
  EXPECT_EQ(platform().localNow().year, 2003);
  EXPECT_EQ(platform().localNow().second, 6);
}

TEST(FaultyPlatform, PutsThePreviousPlatformBack) {
  Platform* before = &platform();
  { testing::FaultyPlatform faulty; EXPECT_EQ(&platform(), &faulty); }
  EXPECT_EQ(&platform(), before);
}

}  // namespace
}  // namespace torvex
