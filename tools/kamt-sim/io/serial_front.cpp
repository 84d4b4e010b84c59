#include "io/serial_front.h"

#include <algorithm>

#include "reply.h"

namespace kamt::sim {

SerialFront::SerialFront(SerialSide& side, const SimClock& clock)
    : side_(side), clock_(clock), port_([this](std::span<const std::uint8_t> bytes) {
        side_.Receive(bytes, clock_.Now());
        Pump();
      }) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Pump(); });
}

void SerialFront::Pump() {
  const Millis now = clock_.Now();
  for (const Emission& e : side_.TakeDue(now)) {
    if (e.answer && !e.continued) port_.DiscardUnread();
    port_.Write(e.bytes);
  }
  if (side_.Flooding()) port_.Flood(kEndlessFiller);
  if (const auto wake = side_.NextWake()) {
    timer_.start(static_cast<int>(std::clamp<Millis>(*wake - now, 0, 3'600'000)));
  } else {
    timer_.stop();
  }
}

}  // namespace kamt::sim
