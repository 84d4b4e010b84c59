#pragma once

#include <string>
#include <vector>

namespace kamt {

// A mark on the chart's time axis, in wall-clock seconds since 1970-01-01 00:00.
struct TimeTick {
  long long seconds = 0;
  std::string label;
};

// Marks on whole hours, days, months or years between `from` and `to` (both included): the
// finest calendar step that gives no more than maxTicks of them. Labels say no more than the
// step needs ("14:00 31.05", "31.05.2021", "05.2021", "2021") and never repeat.
std::vector<TimeTick> TimeTicks(double from, double to, int maxTicks);

}  // namespace kamt
