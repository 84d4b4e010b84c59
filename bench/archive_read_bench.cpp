// Whole archives read by the tool's own archive loop against kamt-sim, next to the floor a bare
// socket loop sets against the same simulator: over TCP loopback, and over a pseudo-terminal
// with the simulator pacing its answers at 9600 bit/s.
#include <QCoreApplication>
#include <arpa/inet.h>
#include <array>
#include <benchmark/benchmark.h>
#include <memory>
#include <unistd.h>

#include "bench_window.h"
#include "canned_responder.h"
#include "meter/archive_file.h"
#include "meter/archive_read.h"
#include "meter/current_data_read.h"
#include "meter/session.h"
#include "platform/qt_client_socket.h"
#include "platform/qt_clock.h"
#include "platform/qt_serial_port.h"
#include "setup/tcp_events.h"
#include "sim_meter.h"
#include "temp_dir.h"
#include "text/text_file.h"

namespace kamt::bench {
namespace {

constexpr int kTcpRecords = 1200;
constexpr int kSerialRecords = 200;

int PortOf(const test::SimMeter& sim) {
  const std::string address = sim.TcpAddress();
  return std::stoi(address.substr(address.rfind(':') + 1));
}

// The tool as the window runs it: a session on the Qt adapters, connected, the current data
// read, the count edit holding the intervals to read.
struct Tool {
  BenchWindow window;
  QtSerialPort port;
  QtClientSocket socket;
  QtClock clock;
  Session session{window, port, socket, clock};
  test::TempDir dir;

  bool ConnectTcp(int tcpPort) {
    session.link.LinkSettings.Type = 1;
    InstallSocketHandlers(session.link, session.window());
    socket.Open("127.0.0.1", tcpPort);
    while (socket.Connecting()) socket.WaitForEvent(1000);
    return socket.Connected();
  }
  bool OpenSerial(const std::string& device) {
    session.link.LinkSettings.Type = 0;
    session.link.LinkSettings.Delay = 0;
    return port.Open(device) && port.Configure({9600, 8, Parity::None, StopBits::One}).size() < 4;
  }
  bool ReadArchive(int records) {
    session.outputDirectory = dir.path;
    if (!Button1Click(session)) return false;
    window.SetText("HourNum_Edit", std::to_string(records - 1));
    const ArchiveReadResult r = Button2Click(session);
    return r.recordsRead == records;
  }
};

void BM_ArchiveOverTcp(benchmark::State& state) {
  test::SimMeter sim({"--no-serial", "--tcp", "0", "--hour-records", QString::number(kTcpRecords)});
  Tool tool;
  if (!sim.Ready() || !tool.ConnectTcp(PortOf(sim))) return state.SkipWithError("no simulated meter");
  for (auto _ : state) {
    if (!tool.ReadArchive(kTcpRecords)) return state.SkipWithError("archive read failed");
  }
}

// 1200 archive requests by a bare blocking socket against the same simulator.
void BM_ArchiveOverTcpFloor(benchmark::State& state) {
  test::SimMeter sim({"--no-serial", "--tcp", "0", "--hour-records", QString::number(kTcpRecords)});
  const int fd = sim.Ready() ? ConnectLoopback(PortOf(sim)) : -1;
  if (fd < 0) return state.SkipWithError("no simulated meter");
  std::array<std::uint8_t, 11> request = {0, 0, 0, 0, 0, 5, 0xFF, 0x46, 0, 0, 0};
  std::array<std::uint8_t, 7 + 43> answer{};
  std::uint16_t id = 0;
  for (auto _ : state) {
    for (int i = 0; i < kTcpRecords; ++i) {
      ++id;
      request[0] = static_cast<std::uint8_t>(id & 0xFF);
      request[1] = static_cast<std::uint8_t>(id >> 8);
      request[8] = static_cast<std::uint8_t>(i >> 8);
      request[9] = static_cast<std::uint8_t>(i & 0xFF);
      if (::write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
        return state.SkipWithError("write");
      }
      std::size_t got = 0;
      while (got < answer.size()) {
        const ssize_t r = ::read(fd, answer.data() + got, answer.size() - got);
        if (r <= 0) return state.SkipWithError("read");
        got += static_cast<std::size_t>(r);
      }
    }
  }
  ::close(fd);
}

void BM_ArchiveOverPty9600(benchmark::State& state) {
  test::SimMeter sim({"--baud", "9600", "--hour-records", QString::number(kSerialRecords)});
  Tool tool;
  if (!sim.Ready() || !tool.OpenSerial(sim.SerialPath())) return state.SkipWithError("no simulated meter");
  for (auto _ : state) {
    if (!tool.ReadArchive(kSerialRecords)) return state.SkipWithError("archive read failed");
  }
  // 6 request and 46 answer bytes a record, 10 bits a byte, at 9600 bit/s.
  state.counters["wire_s"] = kSerialRecords * 52 * 10 / 9600.0;
}

// The part of an archive read that is the file: 1200 rows formatted, written beside the final
// name, flushed to the disk and renamed.
void BM_ArchiveFile1200(benchmark::State& state) {
  std::vector<ArchiveRecord> table(kTcpRecords);
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i].hour = static_cast<std::uint8_t>(i % 24);
    table[i].volumePlus = static_cast<std::int64_t>(i * 1234);
    table[i].workSeconds = static_cast<std::uint32_t>(i * 3600);
  }
  const std::vector<bool> readNow(table.size(), true);
  const ArchiveFileFormat format{ArchiveKind::Hourly, 1234, 2, 2, 1};
  test::TempDir dir;
  for (auto _ : state) {
    if (!WriteTextFile(dir.path / "KAMTarchH1234.txt", FormatArchiveFile(format, table, readNow))) {
      return state.SkipWithError("write failed");
    }
  }
}

BENCHMARK(BM_ArchiveFile1200)->Iterations(30)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ArchiveOverTcp)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ArchiveOverTcpFloor)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ArchiveOverPty9600)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kamt::bench
