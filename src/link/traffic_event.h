#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kamt {

enum class TrafficDirection : std::uint8_t { Sent, Received };

// How the bytes are framed on the line, which decides how they are read back.
enum class TrafficKind : std::uint8_t {
  Rtu,        // a Modbus RTU frame: address, PDU, CRC
  Tcp,        // a Modbus TCP frame: the MBAP header, then the PDU
  TcpLate,    // bytes found waiting before a request: an answer that came too late, dropped
  ModemText,  // Hayes commands and the modem's answers
  RtuLate,    // bytes found waiting before a request on a converter's connection (RTU frames)
};

// One frame as it passed the line: what was written, or what one read returned (a short or
// broken frame as it came). A received event without bytes is a read that timed out empty.
struct TrafficEvent {
  std::uint32_t timeMs = 0;  // local time of day, in ms after midnight
  TrafficDirection direction = TrafficDirection::Sent;
  TrafficKind kind = TrafficKind::Rtu;
  std::vector<std::uint8_t> bytes;
};

// Takes the frames as they pass: the traffic monitor's log, the command line's --trace.
class TrafficSink {
 public:
  virtual ~TrafficSink() = default;
  virtual void Record(TrafficDirection direction, TrafficKind kind, std::span<const std::uint8_t> bytes) = 0;
};

// The transports report through this: without a sink, an exchange pays one test.
inline void Trace(TrafficSink* sink, TrafficDirection direction, TrafficKind kind,
                  std::span<const std::uint8_t> bytes) {
  if (sink) sink->Record(direction, kind, bytes);
}

}  // namespace kamt
