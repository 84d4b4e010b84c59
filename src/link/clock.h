#pragma once

#include <cstdint>

namespace kamt {

// Time for the link's time-outs and pauses. The program's clock keeps the event loop running
// while it sleeps, so a pause never freezes the window; the tests' clock only moves time on.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds from an arbitrary start, never going back.
  virtual std::uint64_t NowMs() = 0;
  virtual void Sleep(int ms) = 0;
};

}  // namespace kamt
