#include "link/tcp_transact.h"

#include <algorithm>
#include <array>

#include "link/client_socket.h"
#include "link/clock.h"
#include "link/link.h"
#include "link/modbus.h"
#include "link/traffic_event.h"

namespace kamt {
namespace {

constexpr std::size_t kHeaderSize = modbus::kMbapHeaderSize;

using Frame = std::array<std::uint8_t, kTcpFrameSize>;

std::size_t BuildRequest(Frame& tx, std::uint16_t transactionId, std::uint8_t unit, std::span<const std::uint8_t> pdu) {
  const std::size_t length = pdu.size() + 1;  // the unit identifier counts too
  tx[0] = static_cast<std::uint8_t>(transactionId & 0xFF);  // low byte first; the meter echoes it
  tx[1] = static_cast<std::uint8_t>(transactionId >> 8);
  tx[2] = 0;
  tx[3] = 0;
  tx[4] = static_cast<std::uint8_t>(length >> 8);
  tx[5] = static_cast<std::uint8_t>(length & 0xFF);
  tx[6] = unit;
  std::copy(pdu.begin(), pdu.end(), tx.begin() + kHeaderSize);
  return pdu.size() + kHeaderSize;
}

std::size_t LengthField(const Frame& rx) { return std::size_t{rx[4]} << 8 | rx[5]; }

// TCP may deliver one answer in several pieces; it is whole when the bytes after the length
// field number what that field says.
bool IsWhole(const Frame& rx, std::size_t n) { return n >= 6 && n >= 6 + LengthField(rx); }

// Collects the answer until it is whole, the limit has passed or the connection is gone.
// Returns the bytes received, 0 when nothing came.
std::size_t ReceiveAnswer(Link& link, Frame& rx, bool& waited) {
  ClientSocket& socket = link.socket;
  const std::uint64_t start = link.clock.NowMs();
  std::size_t n = 0;
  for (;;) {
    if (link.TcpDataReady || socket.ReceiveLength() > 0) {
      link.TcpDataReady = false;
      n += socket.ReceiveBuf(std::span(rx).subspan(n));
      if (IsWhole(rx, n) || n == rx.size()) break;
    }
    const std::uint64_t elapsed = link.clock.NowMs() - start;
    if (elapsed > kTcpAnswerLimitMs || !socket.Connected()) break;
    socket.WaitForEvent(static_cast<int>(kTcpAnswerLimitMs - elapsed) + 1);
    waited = true;
  }
  return n;
}

TcpResult Fail(Link& link, int& answerLength, bool waited, const char* text) {
  link.lastTcpFailure = TcpFailure::BadHeader;
  answerLength = 0;
  return {-1, text, waited};
}

}  // namespace

void DropArrivedBytes(ClientSocket& socket, TrafficKind kind) {
  std::array<std::uint8_t, 256> sink;
  while (socket.ReceiveLength() > 0) {
    const std::size_t n = socket.ReceiveBuf(sink);
    if (n == 0) break;
    Trace(socket.traffic, TrafficDirection::Received, kind, std::span(sink).first(n));
  }
}

TcpResult TcpTransact(Link& link, std::span<const std::uint8_t> pdu, std::span<std::uint8_t> answer,
                      int& answerLength) {
  link.lastTcpFailure = TcpFailure::None;
  if (!link.socket.Connected()) {
    link.lastTcpFailure = TcpFailure::NotConnected;
    return {};
  }
  DropArrivedBytes(link.socket, TrafficKind::TcpLate);
  ++link.TransactionId;
  Frame tx{};
  const std::size_t txSize = BuildRequest(tx, link.TransactionId, link.TcpUnitId(), pdu);
  link.TcpDataReady = false;
  link.socket.SendBuf(std::span(tx).first(txSize));
  Trace(link.socket.traffic, TrafficDirection::Sent, TrafficKind::Tcp, std::span(tx).first(txSize));

  Frame rx{};
  bool waited = false;
  const std::size_t n = ReceiveAnswer(link, rx, waited);
  Trace(link.socket.traffic, TrafficDirection::Received, TrafficKind::Tcp, std::span(rx).first(n));
  if (n == 0) {  // no answer: no text, answerLength left as it was
    link.lastTcpFailure = link.socket.Connected() ? TcpFailure::NoAnswer : TcpFailure::NotConnected;
    return {-1, {}, waited};
  }

  if (n < kHeaderSize + 1) return Fail(link, answerLength, waited, "Неправильная длина пакета!");
  if (rx[0] != (link.TransactionId & 0xFF) || rx[1] != (link.TransactionId >> 8)) {
    return Fail(link, answerLength, waited, "Неправильный идентификатор пакета!");
  }
  if (rx[2] != 0 || rx[3] != 0) return Fail(link, answerLength, waited, "Неправильный идентификатор протокола!");
  if (rx[6] != link.TcpUnitId()) return Fail(link, answerLength, waited, "Неправильный идентификатор устройства!");
  // Only the first whole frame counts; anything behind it is dropped before the next request.
  const std::size_t length = LengthField(rx);
  if (length < 2 || 6 + length > n || length - 1 > answer.size()) {
    return Fail(link, answerLength, waited, "Неправильная длина пакета!");
  }
  answerLength = static_cast<int>(length - 1);
  std::copy_n(rx.begin() + kHeaderSize, length - 1, answer.begin());
  return {0, {}, waited};
}

}  // namespace kamt
