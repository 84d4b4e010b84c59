#include "sim_test_util.h"

#include <cctype>
#include <string>

#include "link/crc16.h"

namespace kamt::sim::test {

Bytes FromHex(std::string_view hex) {
  Bytes out;
  std::string digits;
  for (const char c : hex) {
    if (std::isxdigit(static_cast<unsigned char>(c))) digits.push_back(c);
  }
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
    out.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
  }
  return out;
}

Bytes WithCrc(Bytes frame) {
  const auto n = static_cast<std::uint8_t>(frame.size());
  frame.resize(frame.size() + 2);
  Crc16Append(frame, n);
  return frame;
}

Bytes WithCrc(std::string_view hex) { return WithCrc(FromHex(hex)); }

Millis At(int year, unsigned month, unsigned day, unsigned hour, unsigned minute, unsigned second) {
  return FromCivil({year, month, day, hour, minute, second}) * 1000;
}

Millis StartTime() { return At(2026, 3, 15, 10, 20, 30); }

}  // namespace kamt::sim::test
