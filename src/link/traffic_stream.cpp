#include "link/traffic_stream.h"

#include "link/traffic_line.h"

namespace kamt {

void TrafficStream::Record(TrafficDirection direction, TrafficKind kind, std::span<const std::uint8_t> bytes) {
  const TrafficEvent event{now_(), direction, kind, {bytes.begin(), bytes.end()}};
  if (beforeLine_) beforeLine_();
  // Flushed at once: a trace is read while the command still waits, or after it was killed.
  out_ << TrafficLineText(event) << '\n' << std::flush;
}

}  // namespace kamt
