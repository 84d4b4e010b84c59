#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kamt::test {

// "01 04 10 00" -> bytes; blanks are ignored.
std::vector<std::uint8_t> Hex(std::string_view text);
// Bytes -> "01 04 10 00".
std::string ToHex(const std::vector<std::uint8_t>& bytes);

}  // namespace kamt::test
