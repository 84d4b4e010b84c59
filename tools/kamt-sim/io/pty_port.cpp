#include "io/pty_port.h"

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <iostream>
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

constexpr std::pair<speed_t, std::uint32_t> kSpeeds[] = {
    {B300, 300},       {B600, 600},       {B1200, 1200},     {B2400, 2400},     {B4800, 4800},
    {B9600, 9600},     {B19200, 19200},   {B38400, 38400},   {B57600, 57600},   {B115200, 115200},
    {B230400, 230400}, {B460800, 460800}, {B921600, 921600}};

// Sets an unusual framing and reads back what the pseudo-terminal kept of it, then puts the
// framing back: a kept odd flag would make the line read as odd parity to a master that sets
// no parity and leaves the flag alone (Qt does).
LineHolds ProbeHolds(int fd) {
  termios before{};
  if (tcgetattr(fd, &before) != 0) return {};
  termios t = before;
  t.c_cflag = (t.c_cflag & ~CSIZE) | CS7 | PARENB | PARODD;
  tcsetattr(fd, TCSANOW, &t);
  termios kept{};
  tcgetattr(fd, &kept);
  tcsetattr(fd, TCSANOW, &before);
  return {(kept.c_cflag & CSIZE) == CS7, (kept.c_cflag & PARENB) != 0, (kept.c_cflag & PARODD) != 0};
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
  holds_ = ProbeHolds(slave_);
  if (!MakeRaw(slave_) || !MakeRaw(master_)) return Fail(error, Errno("raw mode"));
  if (fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) return Fail(error, Errno("fcntl"));
  notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { OnReadable(); });
  return true;
}

LineSetting PtyPort::Setting() const {
  termios t{};
  tcgetattr(slave_, &t);
  LineSetting s;
  s.baud = 0;
  for (const auto& [speed, baud] : kSpeeds) {
    if (cfgetospeed(&t) == speed) s.baud = baud;
  }
  s.dataBits = (t.c_cflag & CSIZE) == CS5 ? 5 : (t.c_cflag & CSIZE) == CS6 ? 6 : (t.c_cflag & CSIZE) == CS7 ? 7 : 8;
  s.parity = (t.c_cflag & PARODD) != 0 ? 'O' : (t.c_cflag & PARENB) != 0 ? 'E' : 'N';
  s.stopBits = (t.c_cflag & CSTOPB) != 0 ? 2 : 1;
  return s;
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
// read, so the flood costs nothing while nobody takes it. Each whole MiB the far end has taken
// is said on stderr: a master that keeps what it does not read takes without end.
void PtyPort::Flood(std::uint8_t filler) {
  if (floodNotifier_) return;
  filler_ = filler;
  floodNotifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Write);
  QObject::connect(floodNotifier_.get(), &QSocketNotifier::activated, [this] {
    std::uint8_t chunk[4096];
    std::fill(std::begin(chunk), std::end(chunk), filler_);
    constexpr std::uint64_t kMiB = 1024 * 1024;
    for (ssize_t n; (n = ::write(master_, chunk, sizeof chunk)) > 0;) {
      const std::uint64_t before = flooded_ / kMiB;
      flooded_ += static_cast<std::uint64_t>(n);
      if (flooded_ / kMiB > before) std::cerr << "kamt-sim: flood: " << flooded_ / kMiB << " MiB taken" << std::endl;
    }
  });
}

}  // namespace kamt::sim
