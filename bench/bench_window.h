#pragma once

#include <QCoreApplication>
#include <sstream>

#include "cli/console_window.h"

namespace kamt::bench {

// A window without a display that still lets the event loop run where the program's would.
class BenchWindow : public ConsoleWindow {
 public:
  BenchWindow() : ConsoleWindow(sink_) {}
  void ProcessEvents() override { QCoreApplication::processEvents(); }

 private:
  std::ostringstream sink_;
};

}  // namespace kamt::bench
