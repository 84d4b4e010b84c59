#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "link/traffic_event.h"

namespace kamt {

// The traffic monitor keeps this many of the newest lines; older ones are dropped.
inline constexpr std::size_t kTrafficLogLimit = 10000;

// The computer's clock as the local time of day, in ms after midnight. The system is asked
// for the local time once a minute: it costs more than recording a frame, and the local time
// moves against the system's clock (summer time) only on whole minutes.
class LocalTimeOfDay {
 public:
  std::uint32_t operator()();

 private:
  std::int64_t minute_ = -1;  // since 1970, UTC
  std::uint32_t minuteStartMs_ = 0;
};

// The frames of the line as they came, the newest `limit` of them. Recording stamps the time
// and copies the bytes, nothing more: the decoding waits until a line is shown or saved.
class TrafficLog : public TrafficSink {
 public:
  using TimeSource = std::function<std::uint32_t()>;

  explicit TrafficLog(std::size_t limit = kTrafficLogLimit, TimeSource now = LocalTimeOfDay());

  void Record(TrafficDirection direction, TrafficKind kind, std::span<const std::uint8_t> bytes) override;

  // Every event gets the next number, from 0 on; the log keeps those from FirstNumber() up to,
  // not including, EndNumber(). A viewer tells by them what is new and what has gone.
  std::uint64_t FirstNumber() const { return first_; }
  std::uint64_t EndNumber() const { return first_ + events_.size(); }
  std::size_t size() const { return events_.size(); }
  // nullptr when that event has been dropped, cleared, or has not come yet.
  const TrafficEvent* Find(std::uint64_t number) const;

  // Forgets every event; the numbering goes on.
  void Clear();

  // The lines of the events kept between first and end, each ended by lineEnd.
  std::string Text(std::uint64_t first, std::uint64_t end, std::string_view lineEnd) const;

 private:
  std::size_t limit_;
  TimeSource now_;
  std::deque<TrafficEvent> events_;
  std::uint64_t first_ = 0;
};

}  // namespace kamt
