#pragma once

#include <QTcpServer>
#include <map>
#include <memory>
#include <string>

#include "io/sim_clock.h"
#include "tcp_session.h"

class QTcpSocket;

namespace kamt::sim {

// The Modbus TCP server on the loopback interface: one session per connection.
class TcpFront {
 public:
  TcpFront(std::uint8_t address, ModbusHandler& handler, FaultPlan& faults, Logger log, const SimClock& clock);
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

  std::uint8_t address_;
  ModbusHandler& handler_;
  FaultPlan& faults_;
  Logger log_;
  const SimClock& clock_;
  QTcpServer server_;
  std::map<QTcpSocket*, std::unique_ptr<Connection>> connections_;
};

}  // namespace kamt::sim
