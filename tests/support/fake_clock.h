#pragma once

#include "link/clock.h"

namespace kamt::test {

// Time that moves only when the code under test waits: time-outs are checked exactly and
// instantly.
class FakeClock : public Clock {
 public:
  std::uint64_t NowMs() override { return now; }
  void Sleep(int ms) override {
    if (ms > 0) now += static_cast<std::uint64_t>(ms);
    sleptMs += ms;
  }
  std::uint64_t now = 1'000'000;
  long long sleptMs = 0;
};

}  // namespace kamt::test
