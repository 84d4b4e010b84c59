#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "link/modbus.h"

namespace kamt {

inline constexpr std::size_t kCommParamsSize = 2 * modbus::kCommParamsCount;

// The meter's own communication settings: choices are item positions of their lists.
struct CommParamsRecord {
  std::uint16_t netNumber = 0;
  std::uint16_t baudIndex = 0;
  std::uint16_t parityIndex = 0;
  std::uint16_t dataBitsIndex = 0;
  std::uint16_t stopBitsIndex = 0;
  std::uint16_t timeoutIndex = 0;
  std::uint16_t port = 0;
  std::array<std::uint8_t, 4> ip{};  // first number first
};

}  // namespace kamt
