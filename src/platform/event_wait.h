#pragma once

#include <QObject>
#include <vector>

namespace kamt {

// A wait that keeps the event loop running: the window repaints and its buttons work, and the
// notifications of the device waited on are delivered. It runs the events in place, without a
// nested QEventLoop whose quit would wake the loop once more through the dispatcher on every
// exchange: on a fast link that wake-up costs as much as the exchange itself.
class EventWait {
 public:
  EventWait() = default;
  ~EventWait();
  EventWait(const EventWait&) = delete;
  EventWait& operator=(const EventWait&) = delete;

  // The wait ends when sender emits signal.
  template <typename Sender, typename Signal>
  void EndOn(const Sender* sender, Signal signal) {
    connections_.push_back(QObject::connect(sender, signal, &context_, [this] { ended_ = true; }));
  }

  // Runs events until a signal ends the wait (true), timeoutMs pass or Interrupt is called.
  bool Run(int timeoutMs);
  // Ends a Run under way from an event handler it runs.
  void Interrupt() { interrupted_ = true; }

 private:
  QObject context_;
  std::vector<QMetaObject::Connection> connections_;
  bool ended_ = false;
  bool interrupted_ = false;
};

}  // namespace kamt
