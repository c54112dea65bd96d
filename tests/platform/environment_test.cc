// The clock and the OS version, as the environment sets them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/platform.h"
#include "platform/platform_posix.h"

namespace torvex {
namespace {

// Sets variables for one test and puts the previous values back.
class Variables : public ::testing::Test {
 protected:
  void set(const char* name, const char* value) {
    const char* old = std::getenv(name);
    saved_.push_back({name, old ? old : "", old != nullptr});
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
    ::tzset();
    reloadEnvironment();
  }
  void TearDown() override {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->had) {
        ::setenv(it->name.c_str(), it->value.c_str(), 1);
      } else {
        ::unsetenv(it->name.c_str());
      }
    }
    ::tzset();
    reloadEnvironment();
  }

 private:
  struct Saved {
    std::string name, value;
    bool had;
  };
  std::vector<Saved> saved_;
};

// 2024-01-15 12:00:00 UTC, a winter date.
constexpr int64_t kWinterNoonUtc = 1705320000;

TEST_F(Variables, FixedClockAndFileTimesUseTheOffsetInForceNow) {
  set("TZ", "EST5EDT,M3.2.0,M11.1.0");
  set("TORVEX_NOW", "2024-07-01T12:00:00");  // summer: UTC-4 now
  LocalTime now = platform().localNow();
  EXPECT_EQ(now.year, 2024);
  EXPECT_EQ(now.month, 7);
  EXPECT_EQ(now.hour, 12);
  // The CRT conversion uses the winter offset of that date...
  EXPECT_EQ(platform().toLocalTime(kWinterNoonUtc).hour, 7);
  // ...FileTimeToLocalFileTime the summer offset in force now.
  LocalTime file = platform().fileTimeToLocal(kWinterNoonUtc);
  EXPECT_EQ(file.hour, 8);
  EXPECT_EQ(file.day, 15);
  EXPECT_EQ(file.month, 1);
}

TEST_F(Variables, UnreadableNowMeansTheRealClock) {
  set("TORVEX_NOW", "yesterday");
  EXPECT_GE(platform().localNow().year, 2024);
}

TEST_F(Variables, VersionComesFromTheVariable) {
  uint32_t id = 0, major = 0;
  set("TORVEX_WINVER", nullptr);
  ASSERT_TRUE(platform().osVersion(id, major));
  EXPECT_EQ(id, 2u);
  EXPECT_EQ(major, 10u);
  set("TORVEX_WINVER", "1.4");
  ASSERT_TRUE(platform().osVersion(id, major));
  EXPECT_EQ(id, 1u);
  EXPECT_EQ(major, 4u);
  set("TORVEX_WINVER", "fail");
  EXPECT_FALSE(platform().osVersion(id, major));
}

}  // namespace
}  // namespace torvex
