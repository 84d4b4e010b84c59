#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "civil_time.h"

namespace kamt::sim::test {

using Bytes = std::vector<std::uint8_t>;

// "01 04 10 00" -> bytes; blanks are ignored.
Bytes FromHex(std::string_view hex);
// The same bytes with their Modbus CRC appended, low byte first.
Bytes WithCrc(std::string_view hex);
Bytes WithCrc(Bytes frame);

// A fixed moment for the meter to start at: 2026-03-15 10:20:30 on the meter's wall clock.
Millis StartTime();
Millis At(int year, unsigned month, unsigned day, unsigned hour = 0, unsigned minute = 0, unsigned second = 0);

}  // namespace kamt::sim::test
