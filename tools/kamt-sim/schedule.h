#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "civil_time.h"

namespace kamt::sim {

// Bytes to send at a given time, or a connection to close.
struct Emission {
  Millis at = 0;
  std::vector<std::uint8_t> bytes;
  bool answer = false;  // a Modbus answer, not modem talk
  bool close = false;
  bool reset = false;      // with close: reset the connection (RST) instead of closing it in order
  bool continued = false;  // more of an answer already under way: what went before it stays
};

// What is waiting to go out, in order of time; equal times keep the order they were added in.
class Schedule {
 public:
  void Add(Emission e);
  std::vector<Emission> TakeDue(Millis now);
  std::optional<Millis> Next() const;

 private:
  std::vector<Emission> items_;
};

}  // namespace kamt::sim
