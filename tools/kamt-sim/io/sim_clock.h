#pragma once

#include <QElapsedTimer>

#include "civil_time.h"

namespace kamt::sim {

// The simulator's time base: the host's local wall-clock time when it started, then running
// on the monotonic clock, so that timers stay right when the host's clock is adjusted.
class SimClock {
 public:
  SimClock();
  Millis Now() const;

 private:
  Millis start_;
  QElapsedTimer elapsed_;
};

}  // namespace kamt::sim
