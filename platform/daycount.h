// Date-times as a day count: whole days since 30 December 1899 plus the time of day as the
// fraction, the form in which the two programs hand a launch time to each other.
#pragma once

namespace platform {

struct LocalDateTime {
  int year = 1899, month = 12, day = 30;  // civil date, month 1..12
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

double DayCount(const LocalDateTime& t);

// The current local date-time, read once.
LocalDateTime LocalNow();

inline double DayCountNow() {
  return DayCount(LocalNow());
}

}  // namespace platform
