// Civil dates and day counts: known dates, leap years and the round trip over four centuries.
#include "platform/calendar.h"

#include <gtest/gtest.h>

namespace {

TEST(Calendar, KnownDatesAndWeekdays) {
  EXPECT_EQ(platform::DaysFromCivil(1970, 1, 1), 0);
  EXPECT_EQ(platform::DaysFromCivil(1899, 12, 30), -25569);
  EXPECT_EQ(platform::DaysFromCivil(2000, 3, 1) - platform::DaysFromCivil(2000, 2, 28), 2);
  EXPECT_EQ(platform::DaysFromCivil(1900, 3, 1) - platform::DaysFromCivil(1900, 2, 28), 1);
  EXPECT_EQ(platform::WeekdayFromDays(platform::DaysFromCivil(2026, 12, 6)), 0u);  // a Sunday
  EXPECT_EQ(platform::WeekdayFromDays(platform::DaysFromCivil(1899, 12, 30)), 6u);
}

TEST(Calendar, EveryDayOfFourCenturiesRoundTrips) {
  int64_t expected = platform::DaysFromCivil(1800, 1, 1);
  for (int64_t days = expected; days < platform::DaysFromCivil(2200, 1, 1); ++days) {
    int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    platform::CivilFromDays(days, year, month, day);
    ASSERT_EQ(platform::DaysFromCivil(year, month, day), days);
    ASSERT_TRUE(month >= 1 && month <= 12 && day >= 1 && day <= 31);
  }
}

}  // namespace
