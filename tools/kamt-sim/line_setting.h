#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kamt::sim {

// Bit rate and character framing of a serial line, as "19200:8E1" writes them.
struct LineSetting {
  std::uint32_t baud = 9600;
  int dataBits = 8;
  char parity = 'N';  // N, E or O
  int stopBits = 1;
};

std::optional<LineSetting> ParseLineSetting(std::string_view text);

// Which parts of a setting a line keeps when they are set. A Linux pseudo-terminal keeps the
// bit rate, the stop bits and the odd-parity flag, but always reads back 8 data bits and no
// parity: even parity cannot be told from none there.
struct LineHolds {
  bool dataBits = true;
  bool parityEnable = true;
  bool parityOdd = true;
};

// Whether a line set as `is` carries frames the meter set as `wanted` can read, comparing
// only what the line holds.
bool LineMatches(const LineSetting& wanted, const LineSetting& is, const LineHolds& holds);

}  // namespace kamt::sim
