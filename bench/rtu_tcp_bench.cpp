// Current-data exchanges per second with a meter behind a serial-to-Ethernet converter, over
// loopback: the tool's RTU-over-TCP path against the floor a bare socket loop sets, both
// against the same canned responder.
#include <array>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include "bench_window.h"
#include "canned_responder.h"
#include "link/client_socket.h"
#include "link/link.h"
#include "link/rtu_tcp_transact.h"
#include "platform/qt_client_socket.h"
#include "platform/qt_clock.h"
#include "platform/qt_serial_port.h"
#include "setup/tcp_events.h"

namespace kamt::bench {
namespace {

CannedResponder& Converter() {
  static CannedResponder responder(true);
  return responder;
}

// 01 04 10 00 00 30 and its CRC.
constexpr std::uint8_t kRequest[8] = {0x01, 0x04, 0x10, 0x00, 0x00, 0x30, 0xF4, 0xDE};

void BM_RtuRawSocketFloor(benchmark::State& state) {
  const int fd = ConnectLoopback(Converter().Port());
  std::uint8_t answer[101];
  for (auto _ : state) {
    if (::write(fd, kRequest, sizeof kRequest) != sizeof kRequest) state.SkipWithError("write");
    std::size_t got = 0;
    while (got < sizeof answer) {
      const ssize_t r = ::read(fd, answer + got, sizeof answer - got);
      if (r <= 0) {
        state.SkipWithError("read");
        break;
      }
      got += static_cast<std::size_t>(r);
    }
  }
  ::close(fd);
  state.counters["exchanges_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_RtuTcpTransact(benchmark::State& state) {
  BenchWindow window;
  QtSerialPort port;
  QtClientSocket socket;
  QtClock clock;
  Link link(port, socket, clock);
  link.LinkSettings.Type = 1;
  link.LinkSettings.Framing = EthernetFraming::Rtu;
  InstallSocketHandlers(link, window);
  socket.Open("127.0.0.1", Converter().Port());
  while (socket.Connecting()) socket.WaitForEvent(1000);
  std::array<std::uint8_t, 101> answer{};
  for (auto _ : state) {
    if (RtuTcpTransact(link, kRequest, answer).received != answer.size()) {
      state.SkipWithError("exchange failed");
      break;
    }
  }
  state.counters["exchanges_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_RtuRawSocketFloor)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_RtuTcpTransact)->MinTime(2.0)->UseRealTime();

}  // namespace
}  // namespace kamt::bench
