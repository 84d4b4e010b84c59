#include "civil_time.h"

#include <chrono>

namespace kamt::sim {

namespace chr = std::chrono;

namespace {
constexpr std::int64_t kDay = 86400;

std::int64_t DaysFromCivil(int y, unsigned m, unsigned d) {
  const chr::sys_days days{chr::year{y} / chr::month{m} / chr::day{d}};
  return days.time_since_epoch().count();
}
}  // namespace

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

CivilTime ToCivil(std::int64_t seconds) {
  const std::int64_t days = FloorDiv(seconds, kDay);
  const std::int64_t rest = seconds - days * kDay;
  const chr::year_month_day ymd{chr::sys_days{chr::days{days}}};
  CivilTime t;
  t.year = int{ymd.year()};
  t.month = unsigned{ymd.month()};
  t.day = unsigned{ymd.day()};
  t.hour = static_cast<unsigned>(rest / 3600);
  t.minute = static_cast<unsigned>(rest % 3600 / 60);
  t.second = static_cast<unsigned>(rest % 60);
  return t;
}

std::int64_t FromCivil(const CivilTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * kDay + t.hour * 3600 + t.minute * 60 + t.second;
}

bool IsValidCivil(const CivilTime& t) {
  const chr::year_month_day ymd{chr::year{t.year} / chr::month{t.month} / chr::day{t.day}};
  return ymd.ok() && t.hour < 24 && t.minute < 60 && t.second < 60;
}

unsigned DayOfWeek(std::int64_t seconds) {
  // 1970-01-01 was a Thursday.
  return static_cast<unsigned>((FloorDiv(seconds, kDay) % 7 + 7 + 4) % 7);
}

std::int64_t PeriodStart(Period p, std::int64_t seconds) {
  switch (p) {
    case Period::Hour:
      return FloorDiv(seconds, 3600) * 3600;
    case Period::Day:
      return FloorDiv(seconds, kDay) * kDay;
    case Period::Month: {
      const CivilTime t = ToCivil(seconds);
      return DaysFromCivil(t.year, t.month, 1) * kDay;
    }
  }
  return seconds;
}

std::int64_t PeriodIndex(Period p, std::int64_t seconds) {
  switch (p) {
    case Period::Hour:
      return FloorDiv(seconds, 3600);
    case Period::Day:
      return FloorDiv(seconds, kDay);
    case Period::Month: {
      const CivilTime t = ToCivil(seconds);
      return (std::int64_t{t.year} - 1970) * 12 + t.month - 1;
    }
  }
  return 0;
}

std::int64_t PeriodIndexStart(Period p, std::int64_t index) {
  switch (p) {
    case Period::Hour:
      return index * 3600;
    case Period::Day:
      return index * kDay;
    case Period::Month:
      return PeriodsBack(Period::Month, 0, -index);
  }
  return 0;
}

std::int64_t PeriodsBack(Period p, std::int64_t periodStart, std::int64_t n) {
  switch (p) {
    case Period::Hour:
      return periodStart - n * 3600;
    case Period::Day:
      return periodStart - n * kDay;
    case Period::Month: {
      const CivilTime t = ToCivil(periodStart);
      const std::int64_t months = std::int64_t{t.year} * 12 + (t.month - 1) - n;
      const auto year = static_cast<int>(FloorDiv(months, 12));
      const auto month = static_cast<unsigned>(months - std::int64_t{year} * 12 + 1);
      return DaysFromCivil(year, month, 1) * kDay;
    }
  }
  return periodStart;
}

}  // namespace kamt::sim
