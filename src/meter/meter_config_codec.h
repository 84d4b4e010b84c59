#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "meter/meter_config.h"

namespace kamt {

// The configuration block is read from the clock on, but written from the conversion factor
// on: a configuration write never sets the clock.
inline constexpr std::size_t kMeterConfigWriteSize = 2 * modbus::kConfigWriteCount;  // registers 7 to 33

// The 68 register bytes of a read: 16-bit values high byte first, singles high word first.
MeterConfigRecord DecodeMeterConfig(std::span<const std::uint8_t, kMeterConfigSize> data);

// The 54 data bytes of a write, registers 7 to 33 in the same layout.
std::array<std::uint8_t, kMeterConfigWriteSize> EncodeMeterConfig(const MeterConfigRecord& config);

}  // namespace kamt
