// Civil dates and day counts (proleptic Gregorian calendar), shared by every place that turns
// automation dates (days since 1899-12-30) into text or reads them from text.
#pragma once

#include <cmath>
#include <cstdint>

namespace platform {

// 1970-01-01 as an automation date.
inline constexpr double kUnixEpochAutomationDays = 25569.0;

// The days from 1970-01-01 of a civil date.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day);
// The civil date of a day count from 1970-01-01.
void CivilFromDays(int64_t days, int64_t& year, unsigned& month, unsigned& day);
// The weekday of a day count from 1970-01-01: 0 Sunday to 6 Saturday.
unsigned WeekdayFromDays(int64_t days);

// An automation date counts the whole days of a date before 1899-12-30 back from it, and its time
// of day forward into that day: 1899-12-29 18:00 is -1.75, not -0.25. These turn a plain count
// of days and fractions since 1899-12-30 into that form, and back.
inline double AutomationDateFromDays(double days) {
  if (days >= 0) return days;
  const double whole = std::floor(days);
  return whole - (days - whole);
}
inline double DaysFromAutomationDate(double date) {
  const double whole = std::trunc(date);
  return whole + std::fabs(date - whole);
}

// An automation date rounded to whole seconds: its day count from 1970-01-01 and the seconds
// into that day. A time that rounds up to midnight gives the next day on either side of
// 1899-12-30.
inline void SplitAutomationDate(double date, int64_t& days, int64_t& seconds) {
  const auto total = static_cast<int64_t>(
      std::llround((DaysFromAutomationDate(date) - kUnixEpochAutomationDays) * 86400.0));
  days = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
  seconds = total - days * 86400;
}

}  // namespace platform
