#include "meter/meter_clock_calendar.h"

#include <algorithm>
#include <ctime>

namespace kamt {
namespace {

bool IsLeap(long long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to a real date (Howard Hinnant's days_from_civil).
long long DaysFromCivil(long long y, long long m, long long d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace

bool IsRealDate(int year, int month, int day) {
  return month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

std::optional<int> DayOfWeek(int year, int month, int day) {
  if (!IsRealDate(year, month, day)) return std::nullopt;
  const long long days = DaysFromCivil(year, month, day);
  return static_cast<int>((days % 7 + 7 + 4) % 7);  // 1970-01-01 was a Thursday
}

std::optional<long long> WallSeconds(const LocalDateTime& t) {
  if (!IsRealDate(t.year, t.month, t.day)) return std::nullopt;
  if (t.hours < 0 || t.hours > 23 || t.minutes < 0 || t.minutes > 59 || t.seconds < 0 || t.seconds > 59) {
    return std::nullopt;
  }
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hours * 3600LL + t.minutes * 60LL + t.seconds;
}

LocalDateTime SystemLocalTime() {
  const std::time_t now = std::time(nullptr);
  // Copied at once: the standard's localtime shares one buffer (the program has one thread).
  const std::tm* shared = std::localtime(&now);
  if (!shared) return {};
  const std::tm local = *shared;
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
          std::min(local.tm_sec, 59)};
}

}  // namespace kamt
