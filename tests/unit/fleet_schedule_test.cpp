#include <gtest/gtest.h>

#include "fleet/schedule.h"
#include "meter/meter_clock_calendar.h"

namespace kamt {
namespace {

long long At(int year, int month, int day, int hour, int minute, int second = 0) {
  return *WallSeconds({year, month, day, hour, minute, second});
}

struct Case {
  long long now;
  long long next;
  std::array<bool, 3> archives;
};

TEST(Schedule, EachArchiveAfterItsPeriodBegins) {
  const Case cases[] = {
      {At(2026, 6, 15, 10, 30), At(2026, 6, 15, 11, 2), {true, false, false}},
      {At(2026, 6, 15, 11, 1, 59), At(2026, 6, 15, 11, 2), {true, false, false}},
      {At(2026, 6, 15, 11, 2), At(2026, 6, 15, 12, 2), {true, false, false}},
      {At(2026, 6, 15, 23, 10), At(2026, 6, 16, 0, 2), {true, true, false}},
      {At(2026, 6, 30, 23, 10), At(2026, 7, 1, 0, 2), {true, true, true}},
      {At(2026, 12, 31, 23, 59), At(2027, 1, 1, 0, 2), {true, true, true}},
      {At(2028, 2, 28, 23, 30), At(2028, 2, 29, 0, 2), {true, true, false}},
      {At(2028, 2, 29, 23, 30), At(2028, 3, 1, 0, 2), {true, true, true}},
  };
  for (const Case& c : cases) {
    const ScheduledPoll poll = NextPoll(c.now);
    EXPECT_EQ(poll.atS, c.next) << c.now;
    EXPECT_EQ(poll.archives, c.archives) << c.now;
  }
}

// A collector started at any time joins the round of the poll time last passed; the names sort
// as the rounds come, across a year's end.
TEST(Schedule, RoundsAreNamedByTheirScheduledPoll) {
  const std::pair<long long, const char*> cases[] = {
      {At(2026, 12, 7, 8, 10), "2026-12-07 08:02"},
      {At(2026, 12, 7, 8, 1, 59), "2026-12-07 07:02"},
      {At(2026, 12, 7, 8, 2), "2026-12-07 08:02"},
      {At(2027, 1, 1, 0, 1), "2026-12-31 23:02"},
      {At(2028, 2, 29, 0, 30), "2028-02-29 00:02"},
  };
  for (const auto& [now, name] : cases) EXPECT_EQ(RoundName(CurrentSlot(now)), name) << now;
}

TEST(Schedule, RetryPausesGrowToAnHour) {
  const int expected[] = {60, 120, 240, 480, 960, 1920, 3600, 3600};
  for (int failures = 1; failures <= 8; ++failures) EXPECT_EQ(RetryPauseS(failures), expected[failures - 1]);
}

}  // namespace
}  // namespace kamt
