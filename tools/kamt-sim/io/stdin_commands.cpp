#include "io/stdin_commands.h"

#include <QSocketNotifier>
#include <unistd.h>

namespace kamt::sim {

StdinCommands::StdinCommands(std::function<void(const std::string&)> onLine) : onLine_(std::move(onLine)) {
  notifier_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { OnReadable(); });
}

StdinCommands::~StdinCommands() = default;

void StdinCommands::OnReadable() {
  char buffer[4096];
  const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
  if (n <= 0) {
    notifier_->setEnabled(false);  // the end of input would wake the loop for ever
    return;
  }
  pending_.append(buffer, static_cast<std::size_t>(n));
  for (std::size_t end; (end = pending_.find('\n')) != std::string::npos;) {
    const std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    onLine_(line);
  }
}

}  // namespace kamt::sim
