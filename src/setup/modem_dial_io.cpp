#include "setup/modem_dial_io.h"

#include <algorithm>

#include "link/serial_line.h"
#include "link/serial_port.h"
#include "link/traffic_event.h"
#include "setup/window.h"

namespace kamt {
namespace {

// One read of the dial takes at most this many bytes, as the modem dialog always has.
constexpr std::size_t kModemReadSize = 20;

}  // namespace

void ModemWrite(SerialPort& port, std::span<const std::uint8_t> bytes) {
  if (!port.IsOpen()) return;
  port.Purge();
  port.Write(bytes);
  Trace(port.traffic, TrafficDirection::Sent, TrafficKind::ModemText, bytes);
}

std::size_t ModemRead(SerialPort& port, std::span<std::uint8_t> destination, Window& window, Clock& clock,
                      const bool& abort) {
  const auto into = destination.first(std::min(destination.size(), kModemReadSize));
  if (into.empty()) return 0;
  const ReadStop stop = [&] {
    window.ProcessEvents();
    return abort;
  };
  while (!abort && port.IsOpen()) {
    const std::size_t n = ReadAnswer(port, into, clock, stop);
    // A read that ran out its time empty is shown too: the dial waits on without a limit.
    if (n > 0 || (!abort && port.IsOpen())) {
      Trace(port.traffic, TrafficDirection::Received, TrafficKind::ModemText, into.first(n));
    }
    if (n > 0) return n;
    window.ProcessEvents();
  }
  return 0;
}

}  // namespace kamt
