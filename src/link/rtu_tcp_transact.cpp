#include "link/rtu_tcp_transact.h"

#include <algorithm>
#include <array>

#include "link/client_socket.h"
#include "link/clock.h"
#include "link/link.h"
#include "link/modbus.h"
#include "link/tcp_transact.h"
#include "link/traffic_event.h"

namespace kamt {
namespace {

// The answer's length as far as its bytes tell: the function byte of an exception answer has
// bit 7 set, and the frame is then five bytes long whatever was asked.
std::size_t Expected(std::span<const std::uint8_t> answer, std::size_t got, std::size_t asked) {
  if (got >= 2 && (answer[1] & modbus::kExceptionBit) != 0) {
    return std::min<std::size_t>(asked, modbus::kExceptionFrameLength);
  }
  return asked;
}

// Takes what has arrived, never more than the frame: the stream may hold the next one behind.
std::size_t TakeArrived(ClientSocket& socket, std::span<std::uint8_t> answer, std::size_t got) {
  while (socket.ReceiveLength() > 0) {
    const std::size_t want = Expected(answer, got, answer.size());
    if (got >= want) break;
    // Until the function byte is in, the frame's length is not known: take no more than it.
    const std::size_t end = got < 2 ? std::min<std::size_t>(2, want) : want;
    const std::size_t n = socket.ReceiveBuf(answer.subspan(got, end - got));
    if (n == 0) break;
    got += n;
  }
  return got;
}

}  // namespace

bool SendRtuFrame(Link& link, std::span<const std::uint8_t> request) {
  ClientSocket& socket = link.socket;
  link.lastTcpFailure = TcpFailure::None;
  if (!socket.Connected()) {
    link.lastTcpFailure = TcpFailure::NotConnected;
    return false;
  }
  // A converter passes on whatever the line carried: bytes of an answer that came too late,
  // or of another master.
  DropArrivedBytes(socket, TrafficKind::RtuLate);
  link.TcpDataReady = false;
  socket.SendBuf(request);
  Trace(socket.traffic, TrafficDirection::Sent, TrafficKind::Rtu, request);
  return true;
}

RtuTcpResult ReceiveRtuAnswer(Link& link, std::span<std::uint8_t> answer, const ReadStop& stop, int firstByteLimitMs) {
  ClientSocket& socket = link.socket;
  RtuTcpResult result;
  Clock& clock = link.clock;
  const auto [deadline, firstByteBy] = SerialAnswerDeadlines(clock.NowMs(), answer.size(), firstByteLimitMs);
  std::uint64_t lastByteAt = 0;
  std::size_t got = 0;
  for (;;) {
    const std::size_t before = got;
    got = TakeArrived(socket, answer, got);
    link.TcpDataReady = false;
    const std::uint64_t now = clock.NowMs();
    if (got > before) lastByteAt = now;
    if (got >= Expected(answer, got, answer.size()) || !socket.Connected()) break;
    // Between bytes the gap limit counts; before the first one, only the limit for it.
    const std::uint64_t limit =
        got == 0 ? firstByteBy : std::min(deadline, lastByteAt + std::uint64_t{SerialTimeouts::IntervalMs});
    if (now >= limit || (stop && stop())) break;
    int wait = static_cast<int>(std::min<std::uint64_t>(limit - now, 1u << 30));
    if (stop) wait = std::min(wait, ReadStopPollMs);
    socket.WaitForEvent(wait);
    result.waited = true;
  }
  Trace(socket.traffic, TrafficDirection::Received, TrafficKind::Rtu, answer.first(got));
  if (!socket.Connected()) link.lastTcpFailure = TcpFailure::NotConnected;
  result.received = got;
  return result;
}

RtuTcpResult RtuTcpTransact(Link& link, std::span<const std::uint8_t> request, std::span<std::uint8_t> answer,
                            const ReadStop& stop, int firstByteLimitMs) {
  if (!SendRtuFrame(link, request)) return {};
  return ReceiveRtuAnswer(link, answer, stop, firstByteLimitMs);
}

}  // namespace kamt
