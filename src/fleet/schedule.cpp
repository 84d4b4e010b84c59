#include "fleet/schedule.h"

#include <algorithm>

namespace kamt {
namespace {

constexpr long long kHourS = 3600;
constexpr long long kDayS = 24 * kHourS;

// The day of the month of a day counted from 1970-01-01 (the civil calendar's rule).
int DayOfMonth(long long days) {
  const long long z = days + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  return static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
}

}  // namespace

ScheduledPoll NextPoll(long long nowS) {
  // The next hour start whose poll time lies ahead.
  long long hour = (nowS - kPollMarginS) / kHourS * kHourS + kHourS;
  if (nowS - kPollMarginS < 0) hour = 0;
  ScheduledPoll poll;
  poll.atS = hour + kPollMarginS;
  const bool midnight = hour % kDayS == 0;
  poll.archives[1] = midnight;
  poll.archives[2] = midnight && DayOfMonth(hour / kDayS) == 1;
  return poll;
}

int RetryPauseS(int failures) {
  const int doublings = std::clamp(failures - 1, 0, 6);
  return std::min(60 << doublings, 3600);
}

}  // namespace kamt
