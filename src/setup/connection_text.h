#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/link_settings.h"

namespace kamt {

// Names of the parity and stop-bit choice codes, indexed by the codes of LinkSettings.
inline constexpr std::array<std::string_view, 5> ParityNames = {"Even", "Odd", "None", "Mark", "Space"};
inline constexpr std::array<std::string_view, 3> StopBitNames = {"1", "1.5", "2"};

// The serial line in status panel 0, for example COM1:9600:8:None:1. It names what the port
// really runs with: a code outside its list (possible only from an edited settings file, or
// no data-bits choice made) is shown as the setting the port falls back to.
std::string LineDescription(const LinkSettingsRecord& settings);

// An IPv4 address as four decimal numbers joined by points, first byte first.
std::string DottedAddress(const std::array<std::uint8_t, 4>& bytes);

}  // namespace kamt
