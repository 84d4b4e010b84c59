#include "io/sim_clock.h"

#include <QDateTime>

namespace kamt::sim {

Millis SimClock::HostLocalNow() {
  const QDateTime now = QDateTime::currentDateTime();
  return now.toMSecsSinceEpoch() + Millis{now.offsetFromUtc()} * 1000;
}

}  // namespace kamt::sim
