#include "viewer/time_ticks.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace kamt {
namespace {

namespace chr = std::chrono;

constexpr long long kHour = 3600;
constexpr long long kDay = 24 * kHour;

enum class Unit { Hour, Day, Month, Year };

struct Step {
  Unit unit;
  int count;
};

constexpr Step kSteps[] = {
    {Unit::Hour, 1},  {Unit::Hour, 2},  {Unit::Hour, 3},   {Unit::Hour, 6},  {Unit::Hour, 12}, {Unit::Day, 1},
    {Unit::Day, 2},   {Unit::Day, 5},   {Unit::Day, 10},   {Unit::Month, 1}, {Unit::Month, 2}, {Unit::Month, 3},
    {Unit::Month, 6}, {Unit::Year, 1},  {Unit::Year, 2},   {Unit::Year, 5},  {Unit::Year, 10}, {Unit::Year, 20},
    {Unit::Year, 50}, {Unit::Year, 100}, {Unit::Year, 500}, {Unit::Year, 1000},
};

long long FloorDiv(long long a, long long b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

chr::year_month_day DateOf(long long seconds) {
  return chr::year_month_day{chr::sys_days{chr::days{FloorDiv(seconds, kDay)}}};
}

long long SecondsOf(chr::year_month_day date) {
  return static_cast<long long>(chr::sys_days{date}.time_since_epoch().count()) * kDay;
}

std::string Label(Unit unit, long long seconds) {
  const chr::year_month_day d = DateOf(seconds);
  const auto day = static_cast<unsigned>(d.day());
  const auto month = static_cast<unsigned>(d.month());
  const int year = static_cast<int>(d.year());
  char text[40];
  switch (unit) {
    case Unit::Hour:
      std::snprintf(text, sizeof text, "%02lld:00 %02u.%02u", (seconds - FloorDiv(seconds, kDay) * kDay) / kHour, day,
                    month);
      break;
    case Unit::Day: std::snprintf(text, sizeof text, "%02u.%02u.%04d", day, month, year); break;
    case Unit::Month: std::snprintf(text, sizeof text, "%02u.%04d", month, year); break;
    case Unit::Year: std::snprintf(text, sizeof text, "%04d", year); break;
  }
  return text;
}

// The first mark at or after `from`, aligned to the step: hours and days on multiples of the
// step since 1970, months on multiples within the year count, years on multiples of the step.
long long FirstMark(const Step& step, long long from) {
  switch (step.unit) {
    case Unit::Hour: return -FloorDiv(-from, step.count * kHour) * step.count * kHour;
    case Unit::Day: return -FloorDiv(-from, step.count * kDay) * step.count * kDay;
    case Unit::Month:
    case Unit::Year: break;
  }
  const chr::year_month_day d = DateOf(from);
  long long months = static_cast<int>(d.year()) * 12LL + static_cast<unsigned>(d.month()) - 1;
  const long long perMark = step.unit == Unit::Month ? step.count : step.count * 12LL;
  months = FloorDiv(months, perMark) * perMark;
  for (;; months += perMark) {
    const chr::year_month_day first{chr::year{static_cast<int>(FloorDiv(months, 12))},
                                    chr::month{static_cast<unsigned>(months - FloorDiv(months, 12) * 12 + 1)},
                                    chr::day{1}};
    if (SecondsOf(first) >= from) return SecondsOf(first);
  }
}

long long NextMark(const Step& step, long long mark) {
  switch (step.unit) {
    case Unit::Hour: return mark + step.count * kHour;
    case Unit::Day: return mark + step.count * kDay;
    case Unit::Month: return SecondsOf(chr::year_month_day{DateOf(mark).year(), DateOf(mark).month(), chr::day{1}} +
                                       chr::months{step.count});
    case Unit::Year: return SecondsOf(chr::year_month_day{DateOf(mark).year(), DateOf(mark).month(), chr::day{1}} +
                                      chr::years{step.count});
  }
  return mark + kDay;
}

}  // namespace

std::vector<TimeTick> TimeTicks(double from, double to, int maxTicks) {
  // Beyond a few thousand years the calendar has nothing useful to mark.
  constexpr double kLimit = 1e11;
  if (!(from <= to) || maxTicks < 1 || std::fabs(from) > kLimit || std::fabs(to) > kLimit) return {};
  const auto first = static_cast<long long>(std::ceil(from));
  const auto last = static_cast<long long>(std::floor(to));
  const auto most = static_cast<std::size_t>(maxTicks);
  // Months and years are uneven: the marks are counted, not estimated.
  for (const Step& step : kSteps) {
    std::vector<TimeTick> ticks;
    for (long long mark = FirstMark(step, first); mark <= last && ticks.size() <= most; mark = NextMark(step, mark)) {
      ticks.push_back({mark, Label(step.unit, mark)});
    }
    if (ticks.size() <= most) return ticks;
  }
  return {};
}

}  // namespace kamt
