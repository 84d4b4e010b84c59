#pragma once

#include <QTcpServer>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "io/sim_clock.h"
#include "station.h"

class QTcpSocket;

namespace kamt::sim {

// A TCP server on the loopback interface, one session per connection: Modbus TCP, or plain
// RTU frames as a serial-to-Ethernet converter carries them.
class TcpFront {
 public:
  using SessionFactory = std::function<std::unique_ptr<Session>()>;

  TcpFront(SessionFactory factory, const SimClock& clock);
  ~TcpFront();
  TcpFront(const TcpFront&) = delete;
  TcpFront& operator=(const TcpFront&) = delete;

  bool Listen(std::uint16_t port, std::string& error);
  std::uint16_t Port() const { return server_.serverPort(); }

 private:
  struct Connection;
  void Accept();
  void Pump(QTcpSocket* socket);
  void Forget(QTcpSocket* socket);

  SessionFactory factory_;
  const SimClock& clock_;
  QTcpServer server_;
  std::map<QTcpSocket*, std::unique_ptr<Connection>> connections_;
};

}  // namespace kamt::sim
