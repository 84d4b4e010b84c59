#pragma once

#include <cmath>

#include "civil_time.h"

namespace kamt::sim {

// The simulated time the meters live in, from the simulator's real time (milliseconds since it
// started): it begins at a given wall-clock moment and runs `scale` times as fast; an
// `advance` moves it on at once. Timers of answers and faults stay in real time.
class TimeBase {
 public:
  TimeBase(Millis start, double scale) : start_(start), scale_(scale) {}

  Millis Simulated(Millis real) const {
    return start_ + advanced_ + static_cast<Millis>(std::llround(static_cast<double>(real) * scale_));
  }
  void Advance(Millis ms) { advanced_ += ms; }

 private:
  Millis start_;
  double scale_;
  Millis advanced_ = 0;
};

}  // namespace kamt::sim
