#include "hex.h"

#include <cstdio>
#include <stdexcept>

namespace kamt::test {

std::vector<std::uint8_t> Hex(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  std::string digits;
  for (char c : text) {
    if (c == ' ') continue;
    digits += c;
    if (digits.size() == 2) {
      bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits, nullptr, 16)));
      digits.clear();
    }
  }
  if (!digits.empty()) throw std::invalid_argument("odd number of hex digits");
  return bytes;
}

std::string ToHex(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  char cell[4];
  for (std::uint8_t b : bytes) {
    std::snprintf(cell, sizeof cell, text.empty() ? "%02X" : " %02X", b);
    text += cell;
  }
  return text;
}

}  // namespace kamt::test
