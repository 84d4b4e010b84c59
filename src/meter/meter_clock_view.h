#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "meter/meter_clock.h"

namespace kamt {

class Window;

// Seven registers, each a signed 16-bit value high byte first, in register order.
MeterClockRecord DecodeMeterClock(std::span<const std::uint8_t, kMeterClockSize> data);
std::array<std::uint8_t, kMeterClockSize> EncodeMeterClock(const MeterClockRecord& clock);

// Fills the edits of the clock group ("%02d", the year "%04d") and selects the day of week. A
// day of week beyond the list is taken as 0 (Sunday), in `clock` too.
void ShowMeterClock(MeterClockRecord& clock, Window& window);

// Reads the edits into `clock`: each a whole number whose low 16 bits, taken unsigned, are
// range-checked and silently replaced when out of range (hour, minute, second by 0; day and
// month by 1; a year outside 2000..3000 by 2014). Text that is no whole number shows its
// field's message and returns false. With no day of week selected, the one of the date typed
// is sent (the list's empty item when the date does not exist).
bool ParseClockInput(Window& window, MeterClockRecord& clock);

// The clock of a reading of the computer's: its date, time and day of week.
MeterClockRecord ClockOf(const LocalDateTime& time);

// "Расхождение с часами компьютера: +12 с": how far the meter's clock is ahead of the
// computer's (a minus sign when behind).
std::string ClockDifferenceText(const MeterClockRecord& meter, const LocalDateTime& computer);

}  // namespace kamt
