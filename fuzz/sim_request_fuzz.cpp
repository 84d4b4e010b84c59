// Bytes arriving at the simulated meter over its serial line and over TCP, in pieces.
#include <cstddef>
#include <cstdint>
#include <span>

#include "fault_plan.h"
#include "serial_side.h"
#include "station.h"
#include "tcp_session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kamt::sim;
  const Millis start = 1'700'000'000'000;
  Station station(MeterSettings{}, start, FaultPlan{});
  Bus bus;
  bus.Add(station);
  SerialSide serial(SerialConfig{}, bus);
  TcpSession tcp(Units{&station, nullptr});
  Millis now = start;
  std::size_t i = 0;
  while (i < size) {
    // A byte chooses the size of the next piece and the pause before it.
    const std::size_t piece = data[i] % 16 + 1u;
    now += data[i] % 32;
    ++i;
    const auto bytes = std::span(data + i, std::min(piece, size - i));
    serial.Receive(bytes, now);
    tcp.Receive(bytes, now);
    i += bytes.size();
    (void)serial.TakeDue(now);
    (void)tcp.TakeDue(now);
  }
  now += 60'000;
  (void)serial.TakeDue(now);
  (void)tcp.TakeDue(now);
  return 0;
}
