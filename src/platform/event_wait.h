#pragma once

#include <QObject>
#include <QTimer>

namespace kamt {

// A wait that keeps the event loop running: the window repaints and its buttons work, and the
// notifications of the device waited on are delivered. It runs the events in place rather than
// in a nested QEventLoop, whose quit would wake the loop once more on every exchange, and its
// connections and timer are made once, by the device that owns it, not per wait: on a fast
// link each of those costs a noticeable part of an exchange.
class EventWait {
 public:
  EventWait();
  EventWait(const EventWait&) = delete;
  EventWait& operator=(const EventWait&) = delete;

  // Every wait ends when sender emits signal.
  template <typename Sender, typename Signal>
  void EndOn(const Sender* sender, Signal signal) {
    QObject::connect(sender, signal, &context_, [this] { ended_ = true; });
  }

  // Runs events until a signal ends the wait (true), timeoutMs pass or Interrupt is called.
  bool Run(int timeoutMs);
  // Ends a Run under way from an event handler it runs.
  void Interrupt() { interrupted_ = true; }

 private:
  QObject context_;  // the connections go with it
  QTimer timer_;
  bool ended_ = false;
  bool timedOut_ = false;
  bool interrupted_ = false;
  bool running_ = false;
};

}  // namespace kamt
