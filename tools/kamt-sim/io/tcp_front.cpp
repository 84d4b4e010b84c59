#include "io/tcp_front.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <sys/socket.h>

#include "reply.h"

namespace kamt::sim {

namespace {
void Flood(QTcpSocket* socket) {
  // Topped up only as the kernel takes it: Qt's write buffer has no bound of its own.
  constexpr qint64 kBuffered = 65536;
  static const QByteArray chunk(16384, static_cast<char>(kEndlessFiller));
  const auto topUp = [socket] {
    while (socket->bytesToWrite() < kBuffered) socket->write(chunk);
  };
  QObject::connect(socket, &QTcpSocket::bytesWritten, socket, topUp);
  topUp();
}

// Closing with a zero linger time makes the kernel send a reset (RST) instead of the orderly
// close (FIN): what a meter that reboots or a firewall that cuts the line does to the master.
void Reset(QTcpSocket* socket) {
  const linger now{1, 0};
  ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
  socket->abort();
}
}  // namespace

struct TcpFront::Connection {
  std::unique_ptr<Session> session;
  QTimer timer;
  bool flooding = false;
};

TcpFront::TcpFront(SessionFactory factory, const SimClock& clock) : factory_(std::move(factory)), clock_(clock) {
  QObject::connect(&server_, &QTcpServer::newConnection, [this] { Accept(); });
}

TcpFront::~TcpFront() {
  for (auto& [socket, connection] : connections_) {
    socket->disconnect();
    socket->abort();
    socket->deleteLater();
  }
}

bool TcpFront::Listen(std::uint16_t port, std::string& error) {
  if (server_.listen(QHostAddress::LocalHost, port)) return true;
  error = "tcp port " + std::to_string(port) + ": " + server_.errorString().toStdString();
  return false;
}

void TcpFront::Accept() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    // The split fault sends an answer in two segments: each write must leave at once.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    auto connection = std::make_unique<Connection>();
    connection->session = factory_();
    connection->timer.setSingleShot(true);
    connection->timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&connection->timer, &QTimer::timeout, socket, [this, socket] { Pump(socket); });
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
      const QByteArray bytes = socket->readAll();
      const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
      connections_.at(socket)->session->Receive({data, static_cast<std::size_t>(bytes.size())}, clock_.Now());
      Pump(socket);
    });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] { Forget(socket); });
    connections_.emplace(socket, std::move(connection));
  }
}

void TcpFront::Pump(QTcpSocket* socket) {
  const auto found = connections_.find(socket);
  if (found == connections_.end()) return;
  Connection& c = *found->second;
  const Millis now = clock_.Now();
  for (const Emission& e : c.session->TakeDue(now)) {
    if (e.close) {
      if (e.reset) {
        Reset(socket);
      } else {
        socket->disconnectFromHost();
      }
      Forget(socket);
      return;
    }
    socket->write(reinterpret_cast<const char*>(e.bytes.data()), static_cast<qint64>(e.bytes.size()));
    socket->flush();
  }
  if (c.session->Flooding() && !c.flooding) {
    c.flooding = true;
    Flood(socket);
  }
  if (const auto wake = c.session->NextWake()) {
    c.timer.start(static_cast<int>(std::clamp<Millis>(*wake - now, 0, 3'600'000)));
  }
}

void TcpFront::Forget(QTcpSocket* socket) {
  if (connections_.erase(socket) == 0) return;
  socket->disconnect();
  socket->deleteLater();
}

}  // namespace kamt::sim
