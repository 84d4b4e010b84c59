#include "link/traffic_log.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "link/traffic_line.h"

namespace kamt {

std::uint32_t LocalTimeOfDay::operator()() {
  using std::chrono::duration_cast, std::chrono::milliseconds;
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  const std::int64_t ms = std::max<std::int64_t>(0, duration_cast<milliseconds>(sinceEpoch).count());
  const std::int64_t minute = ms / 60000;
  if (minute != minute_) {
    const auto start = static_cast<std::time_t>(minute * 60);
    // Copied at once: the standard's localtime shares one buffer (the program has one thread).
    const std::tm* shared = std::localtime(&start);
    const std::tm local = shared ? *shared : std::tm{};
    minute_ = minute;
    minuteStartMs_ = static_cast<std::uint32_t>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) * 1000;
  }
  return minuteStartMs_ + static_cast<std::uint32_t>(ms - minute * 60000);
}

TrafficLog::TrafficLog(std::size_t limit, TimeSource now)
    : limit_(std::max<std::size_t>(limit, 1)), now_(std::move(now)) {}

void TrafficLog::Record(TrafficDirection direction, TrafficKind kind, std::span<const std::uint8_t> bytes) {
  if (events_.size() == limit_) {
    events_.pop_front();
    ++first_;
  }
  events_.push_back({now_(), direction, kind, {bytes.begin(), bytes.end()}});
}

const TrafficEvent* TrafficLog::Find(std::uint64_t number) const {
  if (number < first_ || number >= EndNumber()) return nullptr;
  return &events_[static_cast<std::size_t>(number - first_)];
}

void TrafficLog::Clear() {
  first_ = EndNumber();
  events_.clear();
}

std::string TrafficLog::Text(std::uint64_t first, std::uint64_t end, std::string_view lineEnd) const {
  std::string text;
  for (std::uint64_t n = std::max(first, first_); n < std::min(end, EndNumber()); ++n) {
    text += TrafficLineText(*Find(n));
    text += lineEnd;
  }
  return text;
}

}  // namespace kamt
