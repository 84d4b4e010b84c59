#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace kamt {

class TrafficSink;

// The non-blocking TCP client that stands in for ClientSocket1: connecting completes later,
// and its notifications are delivered while an exchange waits (inside WaitForEvent) or while
// the window's event loop runs.
class ClientSocket {
 public:
  struct Handlers {
    std::function<void()> onConnect;                     // the connection is up
    std::function<void()> onRead;                        // bytes have arrived
    std::function<void(const std::string&)> onError;     // refused, failed or dropped, with the reason
  };

  virtual ~ClientSocket() = default;

  virtual void SetHandlers(Handlers handlers) = 0;
  // Abandons any connection or attempt, then starts connecting.
  virtual void Open(const std::string& host, int port) = 0;
  virtual void Close() = 0;
  virtual bool Connected() const = 0;
  // True from Open until the connection is up or has failed.
  virtual bool Connecting() const = 0;
  virtual std::string Host() const = 0;
  virtual int Port() const = 0;

  virtual std::size_t ReceiveLength() const = 0;
  virtual std::size_t ReceiveBuf(std::span<std::uint8_t> destination) = 0;
  virtual void SendBuf(std::span<const std::uint8_t> bytes) = 0;

  // Runs the event loop until something happens to this socket or timeoutMs pass.
  virtual void WaitForEvent(int timeoutMs) = 0;

  // Where the frames that pass this connection are reported (the traffic monitor, kamt
  // --trace); nullptr when nobody looks, which costs the exchange one test.
  TrafficSink* traffic = nullptr;
};

}  // namespace kamt
