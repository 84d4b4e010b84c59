#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "link/traffic_event.h"

namespace kamt {

// What a frame says, in a line: the address or the Modbus TCP header fields, the function
// with its start, count, byte count or archive index, an exception with its message, and what
// is wrong with it. Parts are parted by "; "; the text holds no tab and no line end.
struct TrafficSummary {
  std::string text;
  // Something went wrong on the line: no answer, a wrong CRC, an exception, a broken frame.
  bool fault = false;
};

// Frames sent are read as requests of the master, frames received as the meter's answers.
TrafficSummary DescribeTraffic(TrafficDirection direction, TrafficKind kind, std::span<const std::uint8_t> bytes);

// A modem's command or answer as text: bytes above 0x7F in Windows-1251, control characters
// as <CR>, <LF> or <hex>, so that the text stays on one line.
std::string ModemText(std::span<const std::uint8_t> bytes);

}  // namespace kamt
