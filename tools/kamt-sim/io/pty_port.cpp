#include "io/pty_port.h"

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace kamt::sim {

namespace {
constexpr int kPauseAfterHangUpMs = 50;

// No line discipline may touch the bytes: no echo, no CR/LF mapping, no signals.
bool MakeRaw(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return false;
  cfmakeraw(&t);
  return tcsetattr(fd, TCSANOW, &t) == 0;
}

std::string Errno(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

bool Fail(std::string& error, std::string message) {
  error = std::move(message);
  return false;
}
}  // namespace

PtyPort::PtyPort(Receiver receiver) : receiver_(std::move(receiver)) {}

PtyPort::~PtyPort() {
  floodNotifier_.reset();
  notifier_.reset();
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
}

bool PtyPort::Open(std::string& error) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) return Fail(error, Errno("posix_openpt"));
  char name[128] = {};
  if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0) {
    return Fail(error, Errno("pseudo-terminal"));
  }
  slavePath_ = name;
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (slave_ < 0) return Fail(error, Errno(name));
  if (!MakeRaw(slave_) || !MakeRaw(master_)) return Fail(error, Errno("raw mode"));
  if (fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) return Fail(error, Errno("fcntl"));
  notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { OnReadable(); });
  return true;
}

void PtyPort::OnReadable() {
  std::uint8_t buffer[4096];
  for (;;) {
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n > 0) {
      receiver_(std::span(buffer, static_cast<std::size_t>(n)));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return;
    // EIO: no slave is open. The notifier would fire again at once; listen again a little later.
    PauseReading();
    return;
  }
}

void PtyPort::PauseReading() {
  notifier_->setEnabled(false);
  QTimer::singleShot(kPauseAfterHangUpMs, notifier_.get(), [this] { notifier_->setEnabled(true); });
}

void PtyPort::Write(std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return;  // the far end does not read: a line drops what nobody listens to
    }
  }
}

void PtyPort::DiscardUnread() { tcflush(slave_, TCIFLUSH); }

// The pseudo-terminal holds a few kilobytes; once full, the notifier waits for the far end to
// read, so the flood costs nothing while nobody takes it.
void PtyPort::Flood(std::uint8_t filler) {
  if (floodNotifier_) return;
  filler_ = filler;
  floodNotifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Write);
  QObject::connect(floodNotifier_.get(), &QSocketNotifier::activated, [this] {
    std::uint8_t chunk[4096];
    std::fill(std::begin(chunk), std::end(chunk), filler_);
    while (::write(master_, chunk, sizeof chunk) > 0) {
    }
  });
}

}  // namespace kamt::sim
