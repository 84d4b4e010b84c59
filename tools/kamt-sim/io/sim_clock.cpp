#include "io/sim_clock.h"

#include <QDateTime>

namespace kamt::sim {

SimClock::SimClock() {
  const QDateTime now = QDateTime::currentDateTime();
  start_ = now.toMSecsSinceEpoch() + Millis{now.offsetFromUtc()} * 1000;
  elapsed_.start();
}

Millis SimClock::Now() const { return start_ + elapsed_.elapsed(); }

}  // namespace kamt::sim
