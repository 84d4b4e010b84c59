#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "civil_time.h"

namespace kamt::sim {

// Cuts Modbus RTU requests out of the bytes a serial line delivers. The end of a request is
// predicted from its function code, as a slave must do on a busy line; only a function the
// meter does not know is ended by a silence. Anything whose CRC is wrong is dropped one byte at
// a time until a valid frame lines up again, so garbage never blocks the line for long.
// Carried over TCP (a serial-to-Ethernet converter), the stream has no silences that mean
// anything: a frame may come in pieces at any pace, and a byte that cannot start a frame of a
// known function is dropped at once.
class RtuFramer {
 public:
  static constexpr Millis kDefaultSilenceMs = 20;
  static constexpr std::size_t kMaxBuffered = 512;

  // No silence: frames come over a byte stream.
  explicit RtuFramer(std::optional<Millis> silenceMs = kDefaultSilenceMs) : silenceMs_(silenceMs) {}

  void Push(std::span<const std::uint8_t> bytes, Millis now);
  // The next whole frame (address to CRC) whose CRC is right, if one is complete by `now`.
  std::optional<std::vector<std::uint8_t>> Next(Millis now);
  // When a silence will have decided something about the bytes held, if any are held.
  std::optional<Millis> Deadline() const;

  // The length a request of this function has, once enough of it is there to tell;
  // 0 = not yet known, -1 = a function (or a write count) whose length cannot be predicted.
  static int PredictLength(std::span<const std::uint8_t> head);

 private:
  bool Silent(Millis now) const { return silenceMs_ && now - lastByte_ >= *silenceMs_; }
  std::vector<std::uint8_t> Take(std::size_t n);

  std::optional<Millis> silenceMs_;
  Millis lastByte_ = 0;
  std::deque<std::uint8_t> buffer_;
};

bool CrcMatches(std::span<const std::uint8_t> frame);

}  // namespace kamt::sim
