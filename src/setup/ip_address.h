#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kamt {

// The meter's IPv4 address from the text typed for it, read as scanf's "%i %i %i %i" reads
// the text once every "." is a blank: each number decimal, hexadecimal after 0x, or octal
// after a leading 0, so 010 is 8. Anything after the fourth number is ignored. Nothing when
// the text has 20 characters or more, fewer than four numbers, or a number outside 0..255.
std::optional<std::array<std::uint8_t, 4>> ParseIpAddress(std::string_view text);

}  // namespace kamt
