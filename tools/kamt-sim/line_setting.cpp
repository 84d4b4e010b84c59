#include "line_setting.h"

#include <charconv>

namespace kamt::sim {

std::optional<LineSetting> ParseLineSetting(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || text.size() != colon + 4) return std::nullopt;
  LineSetting s;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + colon, s.baud);
  if (ec != std::errc{} || end != text.data() + colon || s.baud == 0) return std::nullopt;
  s.dataBits = text[colon + 1] - '0';
  s.parity = text[colon + 2];
  s.stopBits = text[colon + 3] - '0';
  const bool parityKnown = s.parity == 'N' || s.parity == 'E' || s.parity == 'O';
  if (s.dataBits < 5 || s.dataBits > 8 || !parityKnown || s.stopBits < 1 || s.stopBits > 2) return std::nullopt;
  return s;
}

bool LineMatches(const LineSetting& wanted, const LineSetting& is, const LineHolds& holds) {
  if (wanted.baud != is.baud || wanted.stopBits != is.stopBits) return false;
  if (holds.dataBits && wanted.dataBits != is.dataBits) return false;
  if (holds.parityEnable && (wanted.parity == 'N') != (is.parity == 'N')) return false;
  return !holds.parityOdd || (wanted.parity == 'O') == (is.parity == 'O');
}

}  // namespace kamt::sim
