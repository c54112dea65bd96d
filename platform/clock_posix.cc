// The clock: the fixed one of TORVEX_NOW or the host's, and conversions.
#include <time.h>

#include "platform/environment_posix.h"
#include "platform/posix_backend.h"

namespace torvex::posix {
namespace {

LocalTime fromTm(const struct tm& t) {
  return LocalTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

// The moment "now" stands for: the fixed clock read as local time, or the real one.
time_t nowSeconds(const Environment& env) {
  if (!env.fixedNow) return time(nullptr);
  struct tm t{};
  t.tm_year = env.now.year - 1900;
  t.tm_mon = env.now.month - 1;
  t.tm_mday = env.now.day;
  t.tm_hour = env.now.hour;
  t.tm_min = env.now.minute;
  t.tm_sec = env.now.second;
  t.tm_isdst = -1;
  return mktime(&t);
}

}  // namespace

int64_t PosixPlatform::utcNow() { return static_cast<int64_t>(nowSeconds(*environment())); }

LocalTime PosixPlatform::localNow() {
  auto env = environment();
  if (env->fixedNow) return env->now;
  return toLocalTime(time(nullptr));
}

LocalTime PosixPlatform::toLocalTime(int64_t utcSeconds) {
  time_t t = static_cast<time_t>(utcSeconds);
  struct tm out{};
  if (!localtime_r(&t, &out)) return LocalTime{};
  return fromTm(out);
}

LocalTime PosixPlatform::fileTimeToLocal(int64_t utcSeconds) {
  time_t now = nowSeconds(*environment());
  struct tm local{};
  if (!localtime_r(&now, &local)) return LocalTime{};
  time_t shifted = static_cast<time_t>(utcSeconds + local.tm_gmtoff);
  struct tm out{};
  if (!gmtime_r(&shifted, &out)) return LocalTime{};
  return fromTm(out);
}

}  // namespace torvex::posix
