#include "platform/event_wait.h"

#include <QCoreApplication>

namespace kamt {

EventWait::EventWait() {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, &context_, [this] { timedOut_ = true; });
}

bool EventWait::Run(int timeoutMs) {
  // A wait started from an event that an outer wait of this device runs shares its flags:
  // whichever signal comes ends both, which each caller then checks for itself.
  const bool outer = !running_;
  if (outer) {
    ended_ = timedOut_ = interrupted_ = false;
    running_ = true;
  }
  if (timeoutMs > 0) timer_.start(timeoutMs);
  while (timeoutMs > 0 && !ended_ && !timedOut_ && !interrupted_) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  const bool ended = ended_;
  if (outer) {
    timer_.stop();
    running_ = false;
  }
  return ended;
}

}  // namespace kamt
