#pragma once

#include <cstdint>

#include "link/clock.h"

namespace kamt {

// The program's clock, whose time can be made to run out at once: when the window is closed
// while a command waits, every time-out of that command passes and its pauses end, so the
// command ends promptly and cleanly before the port and the socket are closed.
class InterruptibleClock : public Clock {
 public:
  explicit InterruptibleClock(Clock& clock) : clock_(clock) {}

  std::uint64_t NowMs() override { return clock_.NowMs() + skippedMs_; }
  void Sleep(int ms) override {
    if (!interrupted_) clock_.Sleep(ms);
  }

  // Time jumps a day ahead (it never goes back), and pauses are skipped until Resume.
  void Interrupt() {
    skippedMs_ += kDayMs;
    interrupted_ = true;
  }
  void Resume() { interrupted_ = false; }

 private:
  static constexpr std::uint64_t kDayMs = 24ull * 3600 * 1000;
  Clock& clock_;
  std::uint64_t skippedMs_ = 0;
  bool interrupted_ = false;
};

}  // namespace kamt
