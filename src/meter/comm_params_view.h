#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "meter/comm_params.h"

namespace kamt {

class Window;

// Register 0x0001 carries two choices (the timeout in its high byte, the bit rate in its low
// byte); the IP address w.x.y.z travels as the bytes x, w, z, y.
CommParamsRecord DecodeCommParams(std::span<const std::uint8_t, kCommParamsSize> data);
std::array<std::uint8_t, kCommParamsSize> EncodeCommParams(const CommParamsRecord& params);

// Fills the "Параметры коммуникации" group; a choice beyond its list selects nothing.
void ShowCommParams(const CommParamsRecord& params, Window& window);

// Reads the controls in their fixed order into `params`; at the first one without a valid
// value shows its message and returns false.
bool ParseCommParams(Window& window, CommParamsRecord& params);

}  // namespace kamt
