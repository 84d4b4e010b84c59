#include "platform/qt_client_socket.h"

#include "link/modbus.h"
#include "platform/event_wait.h"

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace kamt {
namespace {

// The reason in the program's language where it is one a user meets.
std::string Reason(const QTcpSocket& socket, QAbstractSocket::SocketError error) {
  switch (error) {
    case QAbstractSocket::ConnectionRefusedError: return "соединение отклонено";
    case QAbstractSocket::RemoteHostClosedError: return "соединение закрыто прибором";
    case QAbstractSocket::HostNotFoundError: return "адрес не найден";
    case QAbstractSocket::SocketTimeoutError: return "время ожидания истекло";
    case QAbstractSocket::NetworkError: return "ошибка сети";
    default: return socket.errorString().toStdString();
  }
}

// Hands the bytes to the kernel directly; the count it took, or -1 when it took none.
qint64 SendDirect(qintptr descriptor, std::span<const std::uint8_t> bytes) {
#ifdef Q_OS_WIN
  const int n = ::send(static_cast<SOCKET>(descriptor), reinterpret_cast<const char*>(bytes.data()),
                       static_cast<int>(bytes.size()), 0);
  return n == SOCKET_ERROR ? -1 : n;
#else
  // MSG_NOSIGNAL: a peer that has gone must give an error, not end the program with SIGPIPE.
  return ::send(static_cast<int>(descriptor), bytes.data(), bytes.size(), MSG_NOSIGNAL);
#endif
}

}  // namespace

QtClientSocket::QtClientSocket() {
  socket_.setReadBufferSize(static_cast<qint64>(modbus::kReceiveBufferLimit));
  wait_.EndOn(&socket_, &QTcpSocket::readyRead);
  wait_.EndOn(&socket_, &QTcpSocket::connected);
  wait_.EndOn(&socket_, &QTcpSocket::disconnected);
  wait_.EndOn(&socket_, &QTcpSocket::errorOccurred);
  // Modbus requests are small and each waits for its answer: Nagle's delay would only add
  // latency to every exchange.
  QObject::connect(&socket_, &QTcpSocket::connected, &socket_, [this] {
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (handlers_.onConnect) handlers_.onConnect();
  });
  QObject::connect(&socket_, &QTcpSocket::readyRead, &socket_, [this] {
    if (handlers_.onRead) handlers_.onRead();
  });
  QObject::connect(&socket_, &QTcpSocket::errorOccurred, &socket_, [this](QAbstractSocket::SocketError e) {
    if (handlers_.onError) handlers_.onError(Reason(socket_, e));
  });
}

QtClientSocket::~QtClientSocket() {
  handlers_ = {};
  socket_.abort();
}

void QtClientSocket::Open(const std::string& host, int port) {
  socket_.abort();
  host_ = host;
  port_ = port;
  socket_.connectToHost(QString::fromStdString(host), static_cast<quint16>(port));
}

void QtClientSocket::Close() { socket_.abort(); }

bool QtClientSocket::Connected() const { return socket_.state() == QAbstractSocket::ConnectedState; }

bool QtClientSocket::Connecting() const {
  const auto s = socket_.state();
  return s == QAbstractSocket::HostLookupState || s == QAbstractSocket::ConnectingState;
}

std::size_t QtClientSocket::ReceiveLength() const { return static_cast<std::size_t>(socket_.bytesAvailable()); }

std::size_t QtClientSocket::ReceiveBuf(std::span<std::uint8_t> destination) {
  const qint64 n = socket_.read(reinterpret_cast<char*>(destination.data()), static_cast<qint64>(destination.size()));
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

void QtClientSocket::SendBuf(std::span<const std::uint8_t> bytes) {
  // A request is small and the kernel takes it whole. Through the socket's own buffer, Qt would
  // switch the write notifier on and off for every request, and under the GLib event loop each
  // switch wakes the loop once more: as much work again as the exchange itself.
  if (Connected() && socket_.bytesToWrite() == 0) {
    const qint64 sent = SendDirect(socket_.socketDescriptor(), bytes);
    if (sent > 0) bytes = bytes.subspan(static_cast<std::size_t>(sent));
    if (bytes.empty()) return;
  }
  socket_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  socket_.flush();
}

void QtClientSocket::WaitForEvent(int timeoutMs) { wait_.Run(timeoutMs); }

void QtClientSocket::Interrupt() { wait_.Interrupt(); }

}  // namespace kamt
