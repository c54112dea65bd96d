#include "tests/support/fixed_zone.h"

#include <chrono>

namespace torvex::testing {

LocalTime FixedZone::toLocalTime(int64_t utcSeconds) {
  using namespace std::chrono;
  const sys_seconds local{seconds{utcSeconds + offset_}};
  const sys_days day = floor<days>(local);
  const year_month_day date{day};
  const hh_mm_ss clock{local - day};
  return LocalTime{static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
                   static_cast<int>(static_cast<unsigned>(date.day())), static_cast<int>(clock.hours().count()),
                   static_cast<int>(clock.minutes().count()), static_cast<int>(clock.seconds().count())};
}

}  // namespace torvex::testing
