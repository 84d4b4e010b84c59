#pragma once

#include <array>
#include <cstdint>

namespace kamt::sim {

struct MeterSettings;

// The holding registers 0x0000-0x0029 of a meter fresh from the factory (the clock registers
// among them are not stored: the meter clock supplies them).
std::array<std::uint16_t, 0x2A> DefaultHoldingRegisters(const MeterSettings& settings);

}  // namespace kamt::sim
