#include "link/serial_line.h"

#include <algorithm>

#include "link/clock.h"
#include "link/crc16.h"
#include "link/modbus.h"
#include "link/serial_port.h"
#include "link/traffic_event.h"

namespace kamt {
namespace {

// A Modbus exception answer is always five bytes: address, function code with bit 7 set,
// exception code and the CRC.
bool IsWholeExceptionFrame(std::span<const std::uint8_t> bytes) {
  constexpr auto n = static_cast<std::uint8_t>(modbus::kExceptionFrameLength);
  return bytes.size() == n && (bytes[1] & modbus::kExceptionBit) != 0 && Crc16Check(bytes, n) == 0;
}

}  // namespace

AnswerDeadlines SerialAnswerDeadlines(std::uint64_t start, std::size_t size, int firstByteLimitMs) {
  const std::uint64_t total =
      start + SerialTimeouts::TotalConstantMs + std::uint64_t{SerialTimeouts::TotalMultiplierMs} * size;
  return {total, firstByteLimitMs > 0 ? std::min(total, start + static_cast<std::uint64_t>(firstByteLimitMs)) : total};
}

std::size_t ReadAnswer(SerialPort& port, std::span<std::uint8_t> answer, Clock& clock, const ReadStop& stop,
                       int firstByteLimitMs) {
  const auto [deadline, firstByteBy] = SerialAnswerDeadlines(clock.NowMs(), answer.size(), firstByteLimitMs);
  std::uint64_t lastByteAt = 0;
  std::size_t got = 0;
  while (got < answer.size()) {
    const std::uint64_t now = clock.NowMs();
    // The gap limit counts only between bytes: before the first one, only the total limit.
    const std::uint64_t limit =
        got == 0 ? firstByteBy : std::min(deadline, lastByteAt + std::uint64_t{SerialTimeouts::IntervalMs});
    if (now >= limit) break;
    int wait = static_cast<int>(std::min<std::uint64_t>(limit - now, 1u << 30));
    if (stop) wait = std::min(wait, ReadStopPollMs);
    const std::size_t n = port.ReadSome(answer.subspan(got), wait);
    if (n == 0) {
      if (!port.IsOpen() || (stop && stop())) break;
      continue;
    }
    got += n;
    lastByteAt = clock.NowMs();
    if (IsWholeExceptionFrame(answer.first(got))) break;
  }
  return got;
}

void SendRequest(SerialPort& port, std::span<const std::uint8_t> request) {
  port.Purge();
  port.Write(request);
  Trace(port.traffic, TrafficDirection::Sent, TrafficKind::Rtu, request);
}

}  // namespace kamt
