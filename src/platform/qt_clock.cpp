#include "platform/qt_clock.h"

#include "platform/event_wait.h"

namespace kamt {

QtClock::QtClock() { timer_.start(); }

std::uint64_t QtClock::NowMs() { return static_cast<std::uint64_t>(timer_.elapsed()); }

void QtClock::Sleep(int ms) { wait_.Run(ms); }

}  // namespace kamt
