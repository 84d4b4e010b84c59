#pragma once

#include <optional>

#include "meter/meter_clock.h"

namespace kamt {

// The proleptic Gregorian calendar, as the meter keeps it (no time zones, no leap seconds).

bool IsRealDate(int year, int month, int day);

// 0 Sunday .. 6 Saturday, the meter's numbering; nothing for a date that does not exist.
std::optional<int> DayOfWeek(int year, int month, int day);

// Seconds since 1970-01-01 00:00 of the same wall clock; nothing when the fields do not form a
// real date and time of day.
std::optional<long long> WallSeconds(const LocalDateTime& t);

}  // namespace kamt
