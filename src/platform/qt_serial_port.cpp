#include "platform/qt_serial_port.h"

#include <QFileInfo>
#include <QTimer>

#include "link/modbus.h"
#include "platform/event_wait.h"

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/ioctl.h>
#endif

namespace kamt {
namespace {

QSerialPort::Parity ToQt(Parity p) {
  switch (p) {
    case Parity::Odd: return QSerialPort::OddParity;
    case Parity::Even: return QSerialPort::EvenParity;
    case Parity::Mark: return QSerialPort::MarkParity;
    case Parity::Space: return QSerialPort::SpaceParity;
    case Parity::None: break;
  }
  return QSerialPort::NoParity;
}

QSerialPort::StopBits ToQt(StopBits s) {
  switch (s) {
    case StopBits::OneAndHalf: return QSerialPort::OneAndHalfStop;
    case StopBits::Two: return QSerialPort::TwoStop;
    case StopBits::One: break;
  }
  return QSerialPort::OneStop;
}

// How often a read that waits looks whether the line has hung up.
constexpr int kHangUpCheckMs = 100;

// A terminal whose far end has hung up (a modem that lost its carrier, a pseudo-terminal whose
// other side closed) reads as end of file for ever: Qt reports no error for it, and its read
// notifier fires without pause, so a read would spin until its time-out. Nothing is left to
// read once the kernel holds no byte for us.
bool HungUp(const QSerialPort& port) {
#ifdef Q_OS_UNIX
  pollfd p{static_cast<int>(port.handle()), POLLIN, 0};
  if (::poll(&p, 1, 0) != 1 || (p.revents & POLLHUP) == 0) return false;
  int waiting = 0;
  return ::ioctl(p.fd, FIONREAD, &waiting) != 0 || waiting == 0;
#else
  (void)port;
  return false;  // Windows reports a device gone as an error of its own
#endif
}

// A device gone from under an open port (a USB adapter pulled, a simulator ended).
bool IsFatal(QSerialPort::SerialPortError e) {
  return e == QSerialPort::ResourceError || e == QSerialPort::DeviceNotFoundError;
}

// POSIX terminals know one or two stop bits only; Qt quietly sets one where 1.5 is asked.
bool StopBitsHonoured(StopBits s) {
#ifdef Q_OS_WIN
  (void)s;
  return true;
#else
  return s != StopBits::OneAndHalf;
#endif
}

}  // namespace

QtSerialPort::QtSerialPort() {
  port_.setReadBufferSize(static_cast<qint64>(modbus::kReceiveBufferLimit));
  QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                   [this](QSerialPort::SerialPortError e) { OnError(e); });
  wait_.EndOn(&port_, &QSerialPort::readyRead);
  wait_.EndOn(&port_, &QSerialPort::errorOccurred);
  wait_.EndOn(&port_, &QSerialPort::aboutToClose);
  QObject::connect(&hangUpCheck_, &QTimer::timeout, &port_, [this] { CloseIfHungUp(); });
}

// A hung-up line is a device gone, as an error would say; closing ends the wait.
void QtSerialPort::CloseIfHungUp() {
  if (port_.isOpen() && port_.bytesAvailable() == 0 && HungUp(port_)) port_.close();
}

QtSerialPort::~QtSerialPort() { Close(); }

bool QtSerialPort::Open(const std::string& name) {
  Close();
  failure_ = OpenFailure::None;
  detail_.clear();
  port_.setPortName(QString::fromStdString(name));
  if (port_.open(QIODevice::ReadWrite)) return true;
  detail_ = port_.errorString().toStdString();
  const QFileInfo device(QString::fromStdString(name));
  switch (port_.error()) {
    case QSerialPort::DeviceNotFoundError: failure_ = OpenFailure::NotFound; break;
    case QSerialPort::PermissionError:
      // Qt says "permission" both for a device we may not open and for one that another
      // program holds locked; the file's own rights tell the two apart.
      failure_ = device.exists() && !(device.isReadable() && device.isWritable()) ? OpenFailure::AccessDenied
                                                                                  : OpenFailure::InUse;
      break;
    default: failure_ = name.empty() || !device.exists() ? OpenFailure::NotFound : OpenFailure::Other; break;
  }
  return false;
}

bool QtSerialPort::IsOpen() const { return port_.isOpen(); }

void QtSerialPort::Close() {
  if (port_.isOpen()) port_.close();
}

std::vector<std::string> QtSerialPort::Configure(const LineParameters& line) {
  std::vector<std::string> refused;
  if (!port_.isOpen()) return refused;
  // Each setting goes on its own: a device that refuses one (a pseudo-terminal refuses some
  // parities) still gets the others.
  if (!port_.setBaudRate(line.baudrate)) refused.emplace_back("bit rate");
  if (!port_.setDataBits(static_cast<QSerialPort::DataBits>(line.dataBits))) refused.emplace_back("data bits");
  if (!port_.setParity(ToQt(line.parity)) || port_.parity() != ToQt(line.parity)) refused.emplace_back("parity");
  if (!port_.setStopBits(ToQt(line.stopBits)) || !StopBitsHonoured(line.stopBits)) refused.emplace_back("stop bits");
  port_.clearError();
  return refused;
}

void QtSerialPort::Purge() {
  if (!port_.isOpen()) return;
  port_.clear(QSerialPort::AllDirections);
  // A full buffer stops Qt taking bytes from the device until the program reads; emptying it
  // does not start it again. A read of the empty buffer does (it finds nothing: no byte is lost).
  char none = 0;
  port_.read(&none, 1);
}

void QtSerialPort::Write(std::span<const std::uint8_t> bytes) {
  if (!port_.isOpen()) return;
  port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  port_.flush();
}

std::size_t QtSerialPort::ReadSome(std::span<std::uint8_t> destination, int timeoutMs) {
  if (!port_.isOpen() || destination.empty()) return 0;
  CloseIfHungUp();
  if (port_.isOpen() && port_.bytesAvailable() == 0 && timeoutMs > 0) {
    hangUpCheck_.start(kHangUpCheckMs);
    wait_.Run(timeoutMs);
    hangUpCheck_.stop();
  }
  if (!port_.isOpen()) return 0;
  const qint64 n = port_.read(reinterpret_cast<char*>(destination.data()), static_cast<qint64>(destination.size()));
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

void QtSerialPort::Interrupt() { wait_.Interrupt(); }

void QtSerialPort::OnError(QSerialPort::SerialPortError error) {
  if (IsFatal(error) && port_.isOpen()) port_.close();
}

}  // namespace kamt
