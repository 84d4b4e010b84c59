#include "setup/ip_address.h"

#include <cctype>
#include <string>

namespace kamt {
namespace {

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// One "%i" conversion at text[i]: leading white space, a sign, then the digits of the base
// the prefix chooses. Nothing when no digit can be read; a value too large to matter comes
// back as one that fails the range test.
std::optional<long long> ReadInteger(const std::string& text, std::size_t& i) {
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '0') {
    base = 8;
    if (i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
      if (i + 2 >= text.size() || DigitValue(text[i + 2]) >= 16) return std::nullopt;
      base = 16;
      i += 2;
    }
  }
  const std::size_t first = i;
  long long value = 0;
  while (i < text.size() && DigitValue(text[i]) < base) {
    value = std::min<long long>(value * base + DigitValue(text[i]), 1LL << 40);
    ++i;
  }
  if (i == first) return std::nullopt;
  return negative ? -value : value;
}

}  // namespace

std::optional<std::array<std::uint8_t, 4>> ParseIpAddress(std::string_view typed) {
  if (typed.size() >= 20) return std::nullopt;
  std::string text(typed);
  for (char& c : text) {
    if (c == '.') c = ' ';
  }
  std::array<std::uint8_t, 4> bytes{};
  std::size_t i = 0;
  for (std::uint8_t& b : bytes) {
    const auto value = ReadInteger(text, i);
    if (!value || *value < 0 || *value > 255) return std::nullopt;
    b = static_cast<std::uint8_t>(*value);
  }
  return bytes;
}

}  // namespace kamt
