#include "platform/qt_clock.h"

#include <QEventLoop>
#include <QTimer>

namespace kamt {

QtClock::QtClock() { timer_.start(); }

std::uint64_t QtClock::NowMs() { return static_cast<std::uint64_t>(timer_.elapsed()); }

void QtClock::Sleep(int ms) {
  if (ms <= 0) return;
  QEventLoop loop;
  QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace kamt
