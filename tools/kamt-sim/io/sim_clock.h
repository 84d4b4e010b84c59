#pragma once

#include <QElapsedTimer>

#include "civil_time.h"

namespace kamt::sim {

// The simulator's real time: milliseconds since it started, on the monotonic clock, so that
// timers stay right when the host's clock is adjusted.
class SimClock {
 public:
  SimClock() { elapsed_.start(); }
  Millis Now() const { return elapsed_.elapsed(); }

  // The host's local wall-clock time, where the meters' clocks start by default.
  static Millis HostLocalNow();

 private:
  QElapsedTimer elapsed_;
};

}  // namespace kamt::sim
