#pragma once

#include <QTimer>
#include <string>

#include "io/pty_port.h"
#include "io/sim_clock.h"
#include "serial_side.h"

namespace kamt::sim {

// Carries bytes between the pseudo-terminal and the serial side, and wakes the serial side
// when one of its timers is due.
class SerialFront {
 public:
  SerialFront(SerialSide& side, const SimClock& clock);

  bool Open(std::string& error) { return port_.Open(error); }
  const std::string& DevicePath() const { return port_.SlavePath(); }
  bool LineMatches(const LineSetting& wanted) const {
    return kamt::sim::LineMatches(wanted, port_.Setting(), port_.Holds());
  }

 private:
  void Pump();

  SerialSide& side_;
  const SimClock& clock_;
  PtyPort port_;
  QTimer timer_;
};

}  // namespace kamt::sim
