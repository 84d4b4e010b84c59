#pragma once

#include <cstddef>
#include <cstdint>

#include "link/modbus.h"

namespace kamt {

inline constexpr std::size_t kMeterClockSize = 2 * modbus::kClockCount;

// The meter's clock, in register order.
struct MeterClockRecord {
  std::int16_t seconds = 0;
  std::int16_t minutes = 0;
  std::int16_t hours = 0;
  std::int16_t day = 0;
  std::int16_t dayOfWeek = 0;  // 0 Sunday .. 6 Saturday
  std::int16_t month = 0;
  std::int16_t year = 0;       // all four digits
};

// A reading of a wall clock (the computer's), in local time.
struct LocalDateTime {
  int year = 2000;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hours = 0;   // spelled as the meter clock's fields are
  int minutes = 0;
  int seconds = 0;
};

// The computer's own clock; the session reads it through a replaceable source.
LocalDateTime SystemLocalTime();

}  // namespace kamt
