// A time zone fixed for the test, whatever the host's: the platform's local
// clock and conversions answer as a zone without daylight saving, `offset`
// seconds east of UTC (negative west). The POSIX back end would follow TZ,
// the Win32 one follows the system's zone, which a test cannot change; so the
// expected local times hold on both. Installed for its lifetime.
#pragma once

#include <cstdint>

#include "platform/scoped_platform.h"

namespace torvex::testing {

class FixedZone : public ScopedPlatform {
 public:
  explicit FixedZone(int64_t offset) : offset_(offset) {}

  LocalTime localNow() override { return toLocalTime(utcNow()); }
  LocalTime toLocalTime(int64_t utcSeconds) override;
  LocalTime fileTimeToLocal(int64_t utcSeconds) override { return toLocalTime(utcSeconds); }

 private:
  int64_t offset_;
};

}  // namespace torvex::testing
