#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace kamt::sim {

// Turns SIGTERM and SIGINT into a call on the event loop, where it is safe to clean up.
class SignalWatch {
 public:
  explicit SignalWatch(std::function<void()> onSignal);
  ~SignalWatch();
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;

 private:
  std::function<void()> onSignal_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace kamt::sim
