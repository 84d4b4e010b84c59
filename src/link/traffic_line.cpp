#include "link/traffic_line.h"

#include <cstdio>

#include "link/traffic_decoder.h"

namespace kamt {

std::string TimeOfDayText(std::uint32_t ms) {
  const unsigned s = ms / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u.%03u", s / 3600 % 24, s / 60 % 60, s % 60, ms % 1000);
  return text;
}

std::string DirectionText(TrafficDirection direction) {
  return direction == TrafficDirection::Sent ? "TX" : "RX";
}

std::string HexText(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 3);
  for (const std::uint8_t b : bytes) {
    if (!text.empty()) text += ' ';
    text += kDigits[b >> 4];
    text += kDigits[b & 0x0F];
  }
  return text;
}

TrafficLine FormatTrafficLine(const TrafficEvent& event) {
  TrafficSummary summary = DescribeTraffic(event.direction, event.kind, event.bytes);
  return {TimeOfDayText(event.timeMs), DirectionText(event.direction), HexText(event.bytes),
          std::move(summary.text), summary.fault};
}

std::string TrafficLineText(const TrafficEvent& event) {
  const TrafficLine line = FormatTrafficLine(event);
  return line.time + '\t' + line.direction + '\t' + line.hex + '\t' + line.summary;
}

}  // namespace kamt
