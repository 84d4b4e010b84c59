#pragma once

#include <functional>
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
  // Runs before each line, for whoever else writes on the stream: a progress counter that
  // rewrites its line in place must end that line first, or the two would run into each other.
  void SetBeforeLine(std::function<void()> beforeLine) { beforeLine_ = std::move(beforeLine); }

 private:
  std::ostream& out_;
  TrafficLog::TimeSource now_;
  std::function<void()> beforeLine_;
};

}  // namespace kamt
