#include "civil_time.h"

#include <gtest/gtest.h>

#include "sim_test_util.h"

namespace kamt::sim {
namespace {

std::int64_t S(int y, unsigned mo, unsigned d, unsigned h = 0) { return test::At(y, mo, d, h) / 1000; }

TEST(SimCivilTime, DayOfWeekCountsFromSunday) {
  EXPECT_EQ(DayOfWeek(S(2021, 3, 9)), 2u);   // a Tuesday
  EXPECT_EQ(DayOfWeek(S(2026, 3, 15)), 0u);  // a Sunday
  EXPECT_EQ(DayOfWeek(S(1969, 12, 31)), 3u); // before the epoch too
}

TEST(SimCivilTime, PeriodsStepBackAcrossMonthAndYearEnds) {
  EXPECT_EQ(PeriodStart(Period::Hour, S(2026, 3, 15, 10) + 1234), S(2026, 3, 15, 10));
  EXPECT_EQ(PeriodStart(Period::Month, S(2026, 3, 15, 10)), S(2026, 3, 1));
  EXPECT_EQ(PeriodsBack(Period::Hour, S(2026, 1, 1), 1), S(2025, 12, 31, 23));
  EXPECT_EQ(PeriodsBack(Period::Day, S(2024, 3, 1), 1), S(2024, 2, 29));
  EXPECT_EQ(PeriodsBack(Period::Day, S(2023, 3, 1), 1), S(2023, 2, 28));
  EXPECT_EQ(PeriodsBack(Period::Month, S(2026, 2, 1), 2), S(2025, 12, 1));
  EXPECT_EQ(PeriodsBack(Period::Month, S(2026, 2, 1), 26), S(2023, 12, 1));
}

TEST(SimCivilTime, RejectsDatesThatDoNotExist) {
  EXPECT_TRUE(IsValidCivil({2024, 2, 29, 23, 59, 59}));
  EXPECT_FALSE(IsValidCivil({2023, 2, 29, 0, 0, 0}));
  EXPECT_FALSE(IsValidCivil({2023, 4, 31, 0, 0, 0}));
  EXPECT_FALSE(IsValidCivil({2023, 0, 1, 0, 0, 0}));
  EXPECT_FALSE(IsValidCivil({2023, 1, 1, 24, 0, 0}));
}

}  // namespace
}  // namespace kamt::sim
