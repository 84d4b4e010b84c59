#pragma once

#include <cstddef>
#include <cstdint>

namespace kamt {

inline constexpr std::size_t kMeterClockSize = 14;  // 7 holding registers from 0x0008

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

}  // namespace kamt
