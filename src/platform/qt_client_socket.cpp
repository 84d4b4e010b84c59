#include "platform/qt_client_socket.h"

#include "platform/event_wait.h"

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

}  // namespace

QtClientSocket::QtClientSocket() {
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
  socket_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  socket_.flush();
}

void QtClientSocket::WaitForEvent(int timeoutMs) {
  EventWait wait;
  wait.EndOn(&socket_, &QTcpSocket::readyRead);
  wait.EndOn(&socket_, &QTcpSocket::connected);
  wait.EndOn(&socket_, &QTcpSocket::disconnected);
  wait.EndOn(&socket_, &QTcpSocket::errorOccurred);
  waiting_ = &wait;
  wait.Run(timeoutMs);
  waiting_ = nullptr;
}

void QtClientSocket::Interrupt() {
  if (waiting_) waiting_->Interrupt();
}

}  // namespace kamt
