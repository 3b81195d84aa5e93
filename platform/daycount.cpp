#include "platform/daycount.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace platform {

double DayCount(const LocalDateTime& t) {
  using namespace std::chrono;
  const sys_days epoch = year{1899} / December / 30;
  const sys_days date =
      year{t.year} / month{static_cast<unsigned>(t.month)} / day{static_cast<unsigned>(t.day)};
  const double days = static_cast<double>((date - epoch).count());
  const double ms = ((t.hour * 60.0 + t.minute) * 60.0 + t.second) * 1000.0 + t.millisecond;
  const double frac = ms / 86400000.0;
  // Before the epoch the fraction counts away from zero, so the time of day stays readable
  // from the digits after the point whatever the sign of the day.
  return days < 0 ? days - frac : days + frac;
}

LocalDateTime LocalNow() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t secs = system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&secs, &tm);
  const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  LocalDateTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  t.millisecond = static_cast<int>(ms < 0 ? 0 : ms);
  return t;
}

}  // namespace platform
