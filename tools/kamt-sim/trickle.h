#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "civil_time.h"

namespace kamt::sim {

// An answer that never ends: its opening bytes, then a filler byte for ever, one byte each
// period, until it is stopped (the master's next request, or the connection gone).
class Trickle {
 public:
  void Start(std::vector<std::uint8_t> opening, std::uint8_t filler, Millis first, Millis period);
  void Stop() { next_.reset(); }
  bool Running() const { return next_.has_value(); }

  // The bytes due by now, in order (more than one when the caller comes late).
  std::vector<std::uint8_t> TakeDue(Millis now);
  std::optional<Millis> Next() const { return next_; }

 private:
  std::vector<std::uint8_t> opening_;
  std::size_t sent_ = 0;
  std::uint8_t filler_ = 0;
  Millis period_ = 1;
  std::optional<Millis> next_;
};

}  // namespace kamt::sim
