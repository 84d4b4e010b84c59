#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kamt {

class Clock;
class SerialPort;
class Window;

// Discards what waits in the port's queues, then writes the bytes; whether the write went
// through is not examined. Nothing without an open port.
void ModemWrite(SerialPort& port, std::span<const std::uint8_t> bytes);

// Reads up to 20 bytes with the port's time-outs, again and again with the window's events
// running between reads, until something has come or abort is set; 0 only when aborted or
// when the port is no longer open. abort is watched also while a read waits, so "Отмена"
// takes effect at once rather than when the read's time runs out.
std::size_t ModemRead(SerialPort& port, std::span<std::uint8_t> destination, Window& window, Clock& clock,
                      const bool& abort);

}  // namespace kamt
