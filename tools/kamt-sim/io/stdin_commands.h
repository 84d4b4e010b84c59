#pragma once

#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

namespace kamt::sim {

// Reads command lines from standard input as they come, without blocking the event loop, and
// hands each whole line on. At the end of input it stops listening.
class StdinCommands {
 public:
  explicit StdinCommands(std::function<void(const std::string&)> onLine);
  ~StdinCommands();
  StdinCommands(const StdinCommands&) = delete;
  StdinCommands& operator=(const StdinCommands&) = delete;

 private:
  void OnReadable();

  std::function<void(const std::string&)> onLine_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::string pending_;
};

}  // namespace kamt::sim
