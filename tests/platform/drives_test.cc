#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/file.h"
#include "platform/platform_posix.h"
#include "tests/support/temp_tree.h"

namespace torvex {
namespace {

// Maps D: to a second directory for one test, on top of the temp tree's C:.
class TwoDrives : public ::testing::Test {
 protected:
  void SetUp() override {
    second_ = tree_.path("other-drive");
    std::filesystem::create_directories(second_);
    ::setenv("TORVEX_DRIVES", ("C=" + tree_.dir().string() + ";d=" + second_.string() + "/").c_str(), 1);
    reloadEnvironment();
  }
  testing::TempTree tree_;
  std::filesystem::path second_;
};

TEST_F(TwoDrives, LettersMapToTheirDirectories) {
  tree_.write("other-drive/x.txt", "on d");
  EXPECT_EQ(platform().fileAttributes("D:/X.TXT"), kAttrArchive);
  EXPECT_EQ(platform().fileAttributes("d:\\x.txt"), kAttrArchive);
  EXPECT_EQ(platform().fileAttributes("C:/other-drive/x.txt"), kAttrArchive);
  EXPECT_EQ(platform().fileAttributes("E:/x.txt"), kInvalidAttributes);
  EXPECT_EQ(platform().lastError(), kErrorPathNotFound);
}

TEST_F(TwoDrives, DotDotNeverClimbsAboveTheDriveRoot) {
  tree_.write("other-drive/x.txt", "on d");
  EXPECT_EQ(platform().fileAttributes("D:/../../../x.txt"), kAttrArchive);
  EXPECT_EQ(platform().fileAttributes("D:/../other-drive/x.txt"), kInvalidAttributes);
}

TEST_F(TwoDrives, SwitchingDrivesMovesTheCurrentDirectory) {
  ASSERT_TRUE(platform().setCurrentDrive(4));
  EXPECT_EQ(platform().currentDrive(), 4);
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(second_));
  ASSERT_TRUE(platform().setCurrentDrive(3));
  EXPECT_EQ(platform().currentDrive(), 3);
  EXPECT_FALSE(platform().setCurrentDrive(5));
  EXPECT_EQ(platform().currentDrive(), 3);  // unchanged by a failure
  EXPECT_FALSE(platform().setCurrentDrive(0));
  EXPECT_FALSE(platform().setCurrentDrive(27));
}

TEST_F(TwoDrives, DriveRelativePathsStartAtTheDriveRoot) {
  tree_.write("other-drive/sub/y.txt", "y");
  EXPECT_EQ(platform().fileAttributes("D:sub/y.txt"), kAttrArchive);
  EXPECT_EQ(platform().fileAttributes("D:"), kAttrDirectory);
}

TEST(Drives, WithoutMappingOnlyZIsTheHostRoot) {
  testing::TempTree keepsEnvironment;
  ::unsetenv("TORVEX_DRIVES");
  reloadEnvironment();
  EXPECT_EQ(platform().fileAttributes("Z:/"), kAttrDirectory);
  EXPECT_EQ(platform().fileAttributes("C:/"), kInvalidAttributes);
}

}  // namespace
}  // namespace torvex
