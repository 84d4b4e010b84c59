#include "platform/event_wait.h"

#include <QCoreApplication>
#include <QTimer>

namespace kamt {

EventWait::~EventWait() {
  for (const auto& c : connections_) QObject::disconnect(c);
}

bool EventWait::Run(int timeoutMs) {
  if (timeoutMs <= 0 || ended_) return ended_;
  bool timedOut = false;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, &context_, [&timedOut] { timedOut = true; });
  timer.start(timeoutMs);
  while (!ended_ && !timedOut && !interrupted_) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return ended_;
}

}  // namespace kamt
