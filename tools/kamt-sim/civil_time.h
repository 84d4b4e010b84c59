#pragma once

#include <cstdint>

namespace kamt::sim {

// The meter keeps local wall-clock time with no notion of time zones: a point in time is a
// count of milliseconds (or seconds) since 1970-01-01 00:00 of that wall clock.
using Millis = std::int64_t;

struct CivilTime {
  int year = 1970;
  unsigned month = 1;  // 1..12
  unsigned day = 1;    // 1..31
  unsigned hour = 0;
  unsigned minute = 0;
  unsigned second = 0;
};

std::int64_t FloorDiv(std::int64_t a, std::int64_t b);

CivilTime ToCivil(std::int64_t seconds);
std::int64_t FromCivil(const CivilTime& t);  // seconds; the fields must form a real date
bool IsValidCivil(const CivilTime& t);
unsigned DayOfWeek(std::int64_t seconds);  // 0 = Sunday, as the meter counts

// The three archive periods; each record is a snapshot taken at the start of a period.
enum class Period { Hour, Day, Month };

std::int64_t PeriodStart(Period p, std::int64_t seconds);
// Periods numbered on from 1970 (hours, days or months), and where the one numbered so starts.
std::int64_t PeriodIndex(Period p, std::int64_t seconds);
std::int64_t PeriodIndexStart(Period p, std::int64_t index);
std::int64_t PeriodsBack(Period p, std::int64_t periodStart, std::int64_t n);

}  // namespace kamt::sim
