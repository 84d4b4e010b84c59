#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace kamt {

class Clock;
class SerialPort;

// The fixed read time-outs of the serial line, in ms: a read of N bytes ends when N bytes
// have come, when more than IntervalMs pass between two bytes, or at the latest after
// TotalConstantMs + TotalMultiplierMs * N.
struct SerialTimeouts {
  static constexpr int IntervalMs = 1000;
  static constexpr int TotalMultiplierMs = 200;
  static constexpr int TotalConstantMs = 2000;
};

// Asked at least every ReadStopPollMs while a read waits; true ends the read at once with
// what has come (a user's "Отмена", a Ctrl+C).
using ReadStop = std::function<bool()>;
inline constexpr int ReadStopPollMs = 100;

// Discards whatever waits in the port's queues (stale bytes of an earlier answer are lost
// here, as they must be) and writes the request.
void SendRequest(SerialPort& port, std::span<const std::uint8_t> request);

// When an answer of `size` bytes must be in, counted from `start`: wholly by the total limit,
// its first byte by then too, or by firstByteLimitMs when that comes sooner (0: no such limit).
struct AnswerDeadlines {
  std::uint64_t total;
  std::uint64_t firstByte;
};
AnswerDeadlines SerialAnswerDeadlines(std::uint64_t start, std::size_t size, int firstByteLimitMs);

// Reads up to answer.size() bytes within the time-outs above. The read also ends as soon as
// the bytes form a whole exception frame (address, function | 0x80, code, correct CRC): no
// further byte can belong to it, so waiting out the silence would only cost a second.
// firstByteLimitMs > 0 waits that long at most for the first byte (a scan's short window for
// an answer); once one has come, the time-outs above apply.
std::size_t ReadAnswer(SerialPort& port, std::span<std::uint8_t> answer, Clock& clock, const ReadStop& stop = {},
                       int firstByteLimitMs = 0);

}  // namespace kamt
