#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "civil_time.h"
#include "modbus_handler.h"
#include "schedule.h"

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

// A meter with the default settings, started at StartTime(), and its Modbus handler.
class MeterTest : public ::testing::Test {
 protected:
  MeterSettings settings_;
  Meter meter_{settings_, StartTime()};
  ModbusHandler handler_{meter_};
};

// Everything a serial side or TCP session sends until it has nothing left, with the times.
template <class Side>
std::vector<Emission> DrainAll(Side& side) {
  std::vector<Emission> all;
  while (const auto wake = side.NextWake()) {
    for (Emission& e : side.TakeDue(*wake)) all.push_back(std::move(e));
  }
  return all;
}

}  // namespace kamt::sim::test

namespace kamt::sim {
using test::Bytes;
using test::FromHex;
using test::WithCrc;
}  // namespace kamt::sim
