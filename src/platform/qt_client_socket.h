#pragma once

#include "platform/event_wait.h"
#include <QTcpSocket>

#include "link/client_socket.h"

namespace kamt {

// ClientSocket1 on QTcpSocket: connecting never blocks, and its notifications arrive through
// the event loop, also the nested one that WaitForEvent runs while an exchange waits.
class QtClientSocket : public ClientSocket {
 public:
  QtClientSocket();
  ~QtClientSocket() override;

  void SetHandlers(Handlers handlers) override { handlers_ = std::move(handlers); }
  void Open(const std::string& host, int port) override;
  void Close() override;
  bool Connected() const override;
  bool Connecting() const override;
  std::string Host() const override { return host_; }
  int Port() const override { return port_; }
  std::size_t ReceiveLength() const override;
  std::size_t ReceiveBuf(std::span<std::uint8_t> destination) override;
  void SendBuf(std::span<const std::uint8_t> bytes) override;
  void WaitForEvent(int timeoutMs) override;
  // Ends a WaitForEvent now under way, as if its time had run out.
  void Interrupt();

 private:
  QTcpSocket socket_;
  Handlers handlers_;
  std::string host_;
  int port_ = 0;
  EventWait wait_;
};

}  // namespace kamt
