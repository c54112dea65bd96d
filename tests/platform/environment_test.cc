// The clock and the OS version, as the environment sets them, and how a
// malformed variable is reported.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

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

TEST_F(Variables, UnreadableNowMeansTheRealClockAndIsReported) {
  set("TORVEX_NOW", "yesterday");
  EXPECT_GE(platform().localNow().year, 2024);
  EXPECT_EQ(environmentProblem(),
            "TORVEX_NOW: 'yesterday' is not a local time YYYY-MM-DDTHH:MM:SS (such as "
            "2003-02-01T04:05:06)");
}

// Each malformed value is reported as one line that names the variable and
// the entry at fault.
TEST_F(Variables, MalformedValuesAreReportedWithTheirEntry) {
  struct Case {
    const char* name;
    const char* value;
    const char* entry;  // what the report quotes
  };
  const Case cases[] = {
      {"TORVEX_DRIVES", "C=relative/dir", "C=relative/dir"},
      {"TORVEX_DRIVES", "C=/ok;D", "D"},
      {"TORVEX_DRIVES", "C=/ok;1=/x", "1=/x"},
      {"TORVEX_DRIVES", "C:/x", "C:/x"},
      {"TORVEX_DRIVES", "C=", "C="},
      {"TORVEX_DRIVES", "C=/a;c=/b", "c=/b"},
      {"TORVEX_WINVER", "2", "2"},
      {"TORVEX_WINVER", "2.5x", "2.5x"},
      {"TORVEX_WINVER", "2.-5", "2.-5"},
      {"TORVEX_WINVER", " 2.5", " 2.5"},
      {"TORVEX_WINVER", "FAIL", "FAIL"},
      {"TORVEX_WINVER", "99999999999.1", "99999999999.1"},
      {"TORVEX_NOW", "2024-07-01 12:00:00", "2024-07-01 12:00:00"},
      {"TORVEX_NOW", "2024-07-01T12:00", "2024-07-01T12:00"},
      {"TORVEX_NOW", "2024-07-01T12:00:00Z", "2024-07-01T12:00:00Z"},
      {"TORVEX_NOW", "2024-7-01T12:00:00", "2024-7-01T12:00:00"},
      {"TORVEX_NOW", "2024-07-01T+2:00:00", "2024-07-01T+2:00:00"},
      {"TORVEX_NOW", "2023-02-29T12:00:00", "2023-02-29T12:00:00"},
      {"TORVEX_NOW", "2024-13-01T12:00:00", "2024-13-01T12:00:00"},
      {"TORVEX_NOW", "2024-07-01T24:00:00", "2024-07-01T24:00:00"},
  };
  for (const Case& c : cases) {
    set(c.name, c.value);
    const std::string problem = environmentProblem();
    EXPECT_EQ(problem.rfind(std::string(c.name) + ": '" + c.entry + "' is not ", 0), 0u)
        << c.value << ": " << problem;
    EXPECT_EQ(problem.find('\n'), std::string::npos);
    set(c.name, nullptr);
  }
}

TEST_F(Variables, SoundValuesAreNoProblem) {
  const std::pair<const char*, const char*> cases[] = {
      {"TORVEX_DRIVES", "C=/srv/c;d=/mnt/d/"}, {"TORVEX_DRIVES", "C=/a;;D=/b;"},
      {"TORVEX_DRIVES", ""},                   {"TORVEX_WINVER", "2.5"},
      {"TORVEX_WINVER", "fail"},               {"TORVEX_WINVER", ""},
      {"TORVEX_NOW", "2024-02-29T23:59:59"},   {"TORVEX_NOW", ""},
  };
  for (const auto& [name, value] : cases) {
    set(name, value);
    EXPECT_EQ(environmentProblem(), "") << name << "=" << value;
    set(name, nullptr);
  }
}

TEST_F(Variables, AMalformedDriveEntryMapsNothing) {
  set("TORVEX_DRIVES", "C=/;D=relative");
  EXPECT_NE(platform().fileAttributes("C:/"), kInvalidAttributes);
  EXPECT_EQ(platform().fileAttributes("D:/"), kInvalidAttributes);
  set("TORVEX_DRIVES", "C=/;c=/nonexistent");
  EXPECT_NE(platform().fileAttributes("C:/"), kInvalidAttributes) << "the first mapping stands";
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
  set("TORVEX_WINVER", "");
  ASSERT_TRUE(platform().osVersion(id, major)) << "empty is unset";
  EXPECT_EQ(id, 2u);
  set("TORVEX_WINVER", "2.x");
  EXPECT_FALSE(platform().osVersion(id, major)) << "a malformed version is a failing query";
}

}  // namespace
}  // namespace torvex
