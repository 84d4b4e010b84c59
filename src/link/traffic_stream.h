#pragma once

#include <ostream>

#include "link/traffic_log.h"

namespace kamt {

// Writes each frame's line to a stream the moment it passes (kamt --trace on stderr): the
// columns of the saved log, parted by tabs, in UTF-8.
class TrafficStream : public TrafficSink {
 public:
  explicit TrafficStream(std::ostream& out, TrafficLog::TimeSource now = LocalTimeOfDay())
      : out_(out), now_(std::move(now)) {}

  void Record(TrafficDirection direction, TrafficKind kind, std::span<const std::uint8_t> bytes) override;

 private:
  std::ostream& out_;
  TrafficLog::TimeSource now_;
};

}  // namespace kamt
