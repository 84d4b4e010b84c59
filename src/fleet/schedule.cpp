#include "fleet/schedule.h"

#include <algorithm>
#include <cstdio>

namespace kamt {
namespace {

constexpr long long kHourS = 3600;
constexpr long long kDayS = 24 * kHourS;

struct CivilDate {
  long long year;
  int month;
  int day;
};

// The date of a day counted from 1970-01-01 (the civil calendar's rule).
CivilDate DateOf(long long days) {
  const long long z = days + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (month <= 2 ? 1 : 0), month, static_cast<int>(doy - (153 * mp + 2) / 5 + 1)};
}

int DayOfMonth(long long days) { return DateOf(days).day; }

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

long long CurrentSlot(long long nowS) { return NextPoll(nowS - kHourS).atS; }

std::string RoundName(long long slotS) {
  const long long days = (slotS >= 0 ? slotS : slotS - kDayS + 1) / kDayS;
  const long long inDay = slotS - days * kDayS;
  const CivilDate d = DateOf(days);
  char text[40];
  std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02lld:%02lld", d.year, d.month, d.day, inDay / kHourS,
                inDay % kHourS / 60);
  return text;
}

int RetryPauseS(int failures) {
  const int doublings = std::clamp(failures - 1, 0, 6);
  return std::min(60 << doublings, 3600);
}

}  // namespace kamt
