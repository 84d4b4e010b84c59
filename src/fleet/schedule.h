#pragma once

#include <array>
#include <string>

#include "meter/meter_clock.h"

namespace kamt {

// A meter logs a record as its own clock reaches the start of an hour, a day or a month; the
// collector comes a little later, so a meter whose clock is a minute or two behind has logged.
inline constexpr int kPollMarginS = 120;

struct ScheduledPoll {
  long long atS = 0;                                 // wall seconds (WallSeconds) of the computer's clock
  std::array<bool, 3> archives{true, false, false};  // hourly, daily, monthly
};

// The first scheduled poll after `nowS`: the hourly archive after each hour, with the daily
// after midnight and the monthly after the first of the month.
ScheduledPoll NextPoll(long long nowS);

// The scheduled poll time the computer's clock has last passed: the round a collector started
// now belongs to.
long long CurrentSlot(long long nowS);
// A round's name, "2026-12-07 08:02", from its scheduled time; names sort as the rounds come.
std::string RoundName(long long slotS);

// The pause before the next try of a meter that failed `failures` times in a row: one minute,
// doubled each time, at most an hour.
int RetryPauseS(int failures);

}  // namespace kamt
