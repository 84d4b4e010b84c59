#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>

#include "cli/console_window.h"

namespace kamt {

class Clock;

// The modem dialog TForm3 on the command line: its transcript lines and every status it
// shows go to the error stream as they come, and a dial that outlasts its time limit is
// ended from inside the wait, where a click on "Отмена" would arrive.
class ModemConsoleWindow : public ConsoleWindow {
 public:
  ModemConsoleWindow(std::ostream& err, Clock& clock) : ConsoleWindow(err), err_(err), clock_(clock) {}

  void SetStatusText(int panel, std::string_view text) override;
  void AppendLine(std::string_view control, std::string_view line) override;
  void ProcessEvents() override;

  // onTimeout runs once, from ProcessEvents, when the clock reaches limitMs from now.
  void SetTimeLimit(std::uint64_t limitMs, std::function<void()> onTimeout);

 private:
  std::ostream& err_;
  Clock& clock_;
  std::optional<std::uint64_t> deadline_;
  std::function<void()> onTimeout_;
};

}  // namespace kamt
