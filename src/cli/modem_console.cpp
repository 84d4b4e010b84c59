#include "cli/modem_console.h"

#include "link/clock.h"

namespace kamt {

void ModemConsoleWindow::SetStatusText(int panel, std::string_view text) {
  ConsoleWindow::SetStatusText(panel, text);
  err_ << text << '\n' << std::flush;
}

void ModemConsoleWindow::AppendLine(std::string_view control, std::string_view line) {
  ConsoleWindow::AppendLine(control, line);
  err_ << line << '\n' << std::flush;
}

void ModemConsoleWindow::ProcessEvents() {
  ConsoleWindow::ProcessEvents();
  if (!deadline_ || clock_.NowMs() < *deadline_) return;
  deadline_.reset();
  if (onTimeout_) onTimeout_();
}

void ModemConsoleWindow::SetTimeLimit(std::uint64_t limitMs, std::function<void()> onTimeout) {
  deadline_ = clock_.NowMs() + limitMs;
  onTimeout_ = std::move(onTimeout);
}

}  // namespace kamt
