#include "link/serial_transact.h"

#include <algorithm>
#include <string>

#include "link/clock.h"
#include "link/crc16.h"
#include "link/serial_port.h"
#include "link/window.h"

namespace kamt {
namespace {

// A Modbus exception answer is always five bytes: address, function code with bit 7 set,
// exception code and the CRC.
bool IsWholeExceptionFrame(std::span<const std::uint8_t> bytes) {
  return bytes.size() == 5 && (bytes[1] & 0x80) != 0 && Crc16Check(bytes, 5) == 0;
}

}  // namespace

std::size_t ReadAnswer(SerialPort& port, std::span<std::uint8_t> answer, Clock& clock) {
  const std::uint64_t deadline =
      clock.NowMs() + SerialTimeouts::TotalConstantMs +
      std::uint64_t{SerialTimeouts::TotalMultiplierMs} * answer.size();
  std::size_t got = 0;
  while (got < answer.size()) {
    const std::uint64_t now = clock.NowMs();
    if (now >= deadline) break;
    const auto remaining = static_cast<int>(std::min<std::uint64_t>(deadline - now, 1u << 30));
    // The gap limit counts only between bytes: before the first one, only the total limit.
    const int wait = got == 0 ? remaining : std::min(remaining, SerialTimeouts::IntervalMs);
    const std::size_t n = port.ReadSome(answer.subspan(got), wait);
    if (n == 0) {
      if (got > 0 || !port.IsOpen()) break;
      continue;
    }
    got += n;
    if (IsWholeExceptionFrame(answer.first(got))) break;
  }
  return got;
}

std::uint32_t SerialTransact(SerialPort& port, std::span<const std::uint8_t> request,
                             std::span<std::uint8_t> answer, Window& window, Clock& clock) {
  window.SetStatusText(2, "");
  if (!port.IsOpen()) return 0;
  window.SetStatusText(2, "Передача запроса");
  window.ProcessEvents();
  port.Purge();
  port.Write(request);
  window.SetStatusText(2, "Ожидание ответа");
  window.ProcessEvents();
  const std::size_t n = ReadAnswer(port, answer, clock);
  window.SetStatusText(2, "Принято " + std::to_string(n) + " байт");
  window.ProcessEvents();
  return static_cast<std::uint32_t>(n);
}

}  // namespace kamt
