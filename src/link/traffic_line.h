#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "link/traffic_event.h"

namespace kamt {

// One line of the traffic log, in the columns it is shown, copied and saved in.
struct TrafficLine {
  std::string time;       // "12:34:56.789"
  std::string direction;  // "TX" or "RX"
  std::string hex;        // "01 04 10 00 00 30 F4 DE"
  std::string summary;    // the decoded frame
  bool fault = false;     // see TrafficSummary
};

std::string TimeOfDayText(std::uint32_t ms);
std::string DirectionText(TrafficDirection direction);
std::string HexText(std::span<const std::uint8_t> bytes);

// Decodes the frame: only the lines shown, copied or saved pay for it.
TrafficLine FormatTrafficLine(const TrafficEvent& event);

// Time, direction, bytes and summary parted by tabs, without a line end.
std::string TrafficLineText(const TrafficEvent& event);

}  // namespace kamt
