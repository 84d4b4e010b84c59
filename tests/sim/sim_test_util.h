#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "hex.h"
#include "link/crc16.h"
#include "modbus_handler.h"
#include "schedule.h"

namespace kamt::sim {

using Bytes = std::vector<std::uint8_t>;
using kamt::test::Hex;

inline Bytes WithCrc(std::string_view hex) {
  Bytes frame = Hex(hex);
  const auto n = static_cast<std::uint8_t>(frame.size());
  frame.resize(frame.size() + 2);
  Crc16Append(frame, n);
  return frame;
}

inline Millis At(int year, unsigned month, unsigned day, unsigned hour = 0, unsigned minute = 0) {
  return FromCivil({year, month, day, hour, minute, 0}) * 1000;
}

// Everything a serial side or TCP session sends until it has nothing left, with the times.
template <class Side>
std::vector<Emission> DrainAll(Side& side) {
  std::vector<Emission> all;
  while (const auto wake = side.NextWake()) {
    for (Emission& e : side.TakeDue(*wake)) all.push_back(std::move(e));
  }
  return all;
}

}  // namespace kamt::sim
