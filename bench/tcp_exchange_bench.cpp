// Current-data exchanges per second over loopback: the tool's own Modbus TCP path, the floor
// a bare socket loop sets, and libmodbus as a peer, against the same canned responder.
#include <QCoreApplication>
#include <array>
#include <benchmark/benchmark.h>
#include <modbus.h>
#include <unistd.h>

#include "bench_window.h"
#include "canned_responder.h"
#include "link/client_socket.h"
#include "link/link.h"
#include "link/tcp_transact.h"
#include "platform/qt_client_socket.h"
#include "platform/qt_clock.h"
#include "platform/qt_serial_port.h"
#include "setup/tcp_events.h"

namespace kamt::bench {
namespace {

CannedResponder& Responder() {
  static CannedResponder responder;
  return responder;
}

void BM_RawSocketFloor(benchmark::State& state) {
  const int fd = ConnectLoopback(Responder().Port());
  std::uint8_t request[12] = {0, 0, 0, 0, 0, 6, 0xFF, 0x04, 0x10, 0x00, 0x00, 0x30};
  std::uint8_t answer[105];
  std::uint16_t id = 0;
  for (auto _ : state) {
    ++id;
    request[0] = static_cast<std::uint8_t>(id & 0xFF);
    request[1] = static_cast<std::uint8_t>(id >> 8);
    if (::write(fd, request, sizeof request) != sizeof request) state.SkipWithError("write");
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

void BM_TcpTransact(benchmark::State& state) {
  BenchWindow window;
  QtSerialPort port;
  QtClientSocket socket;
  QtClock clock;
  Link link(port, socket, clock);
  link.LinkSettings.Type = 1;
  InstallSocketHandlers(link, window);
  socket.Open("127.0.0.1", Responder().Port());
  while (socket.Connecting()) socket.WaitForEvent(1000);
  const std::array<std::uint8_t, 5> pdu = {0x04, 0x10, 0x00, 0x00, 0x30};
  for (auto _ : state) {
    if (TcpTransact(link, pdu, link.frames.RxBuffer, link.frames.RxLength).result != 0) {
      state.SkipWithError("exchange failed");
      break;
    }
  }
  state.counters["exchanges_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Libmodbus(benchmark::State& state) {
  modbus_t* ctx = modbus_new_tcp("127.0.0.1", Responder().Port());
  modbus_set_slave(ctx, 0xFF);
  if (modbus_connect(ctx) != 0) state.SkipWithError("connect");
  std::uint16_t registers[48];
  for (auto _ : state) {
    if (modbus_read_input_registers(ctx, 0x1000, 48, registers) != 48) {
      state.SkipWithError(modbus_strerror(errno));
      break;
    }
  }
  modbus_close(ctx);
  modbus_free(ctx);
  state.counters["exchanges_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_RawSocketFloor)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_TcpTransact)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_Libmodbus)->MinTime(2.0)->UseRealTime();

}  // namespace
}  // namespace kamt::bench
