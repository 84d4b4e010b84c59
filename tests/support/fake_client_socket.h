#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "fake_clock.h"
#include "link/client_socket.h"

namespace kamt::test {

// A TCP connection to a scripted peer: each sent frame takes the next reply, whose segments
// arrive at given times on the fake clock while the code under test waits for events.
class FakeClientSocket : public ClientSocket {
 public:
  struct Segment {
    int atMs;  // after the frame was sent
    std::vector<std::uint8_t> bytes;
  };
  // Builds the reply from the frame sent (to echo its transaction identifier, say).
  using Responder = std::function<std::vector<Segment>(std::span<const std::uint8_t> sent)>;

  explicit FakeClientSocket(FakeClock& clock) : clock_(clock) {}

  void SetHandlers(Handlers handlers) override { handlers_ = std::move(handlers); }
  void Open(const std::string& host, int port) override;
  void Close() override;
  bool Connected() const override { return connected_; }
  bool Connecting() const override { return connecting_; }
  std::string Host() const override { return host_; }
  int Port() const override { return port_; }
  std::size_t ReceiveLength() const override { return received_.size(); }
  std::size_t ReceiveBuf(std::span<std::uint8_t> destination) override;
  void SendBuf(std::span<const std::uint8_t> bytes) override;
  void WaitForEvent(int timeoutMs) override;

  // The peer accepts the pending connection: onConnect runs.
  void AcceptConnection();
  // The peer refuses or drops it: onError runs with the reason.
  void FailConnection(const std::string& reason);
  // Bytes that arrive at once, unasked (a late answer, say).
  void Arrive(std::vector<std::uint8_t> bytes);

  std::deque<Responder> responders;
  // Runs when a connection is asked for: accept or refuse it here to answer at once.
  std::function<void()> onOpen;
  // The events a real wait runs besides the socket's own (a click in the window, say).
  std::function<void()> onWait;
  std::vector<std::vector<std::uint8_t>> sent;
  std::vector<std::string> calls;  // "open HOST:PORT", "close"

 private:
  struct Arrival {
    std::uint64_t at;
    std::vector<std::uint8_t> bytes;
  };
  FakeClock& clock_;
  Handlers handlers_;
  bool connected_ = false;
  bool connecting_ = false;
  std::string host_;
  int port_ = 0;
  std::deque<Arrival> pending_;
  std::vector<std::uint8_t> received_;
};

}  // namespace kamt::test
