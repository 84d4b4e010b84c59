#pragma once

#include <QElapsedTimer>

#include "platform/event_wait.h"

#include "link/clock.h"

namespace kamt {

// Monotonic time; Sleep runs the event loop for its duration so the window keeps repainting.
class QtClock : public Clock {
 public:
  QtClock();
  std::uint64_t NowMs() override;
  void Sleep(int ms) override;

 private:
  QElapsedTimer timer_;
  EventWait wait_;  // ends only by its time
};

}  // namespace kamt
