// What "Журнал обмена" costs an archive read: the window program as main() builds it reads a
// 1200-record hourly archive from kamt-sim over TCP loopback, with the traffic monitor closed
// and open by turns, so that both readings share the machine's moods. The benchmark's time is
// the read with the monitor open; its counters give the medians of both, and the median of
// the ratios of each pair, in elapsed time and in this process's CPU time.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <ctime>
#include <vector>

#include "meter/archive_read.h"
#include "meter/current_data_read.h"
#include "sim_meter.h"
#include "temp_dir.h"
#include "ui/devices.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/traffic_monitor.h"

namespace kamt::bench {
namespace {

constexpr int kRecords = 1200;

struct ReadTime {
  double elapsed = -1;  // seconds; negative when the read fell short
  double cpu = 0;
};

// The main window on the real devices, connected over TCP, the current data read.
class WindowProgram {
 public:
  WindowProgram() : window_(devices_, devices_.ports, {dir_.path / "Vedan_modbus.ini", dir_.path, "."}) {
    // A message box would wait for a click nobody gives: the read's own result tells.
    SetMessageBoxFunction([](QWidget*, const QString&) {});
    window_.show();
  }
  ~WindowProgram() { SetMessageBoxFunction({}); }

  bool Connect(int tcpPort) {
    window_.session().link.LinkSettings.Type = 1;
    devices_.socket.Open("127.0.0.1", tcpPort);
    while (devices_.socket.Connecting()) devices_.socket.WaitForEvent(1000);
    return devices_.socket.Connected() && Button1Click(window_.session());
  }

  // The whole archive, its file included.
  ReadTime ReadArchive() {
    window_.window().SetText("HourNum_Edit", std::to_string(kRecords - 1));
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    const ArchiveReadResult r = Button2Click(window_.session());
    const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    return {r.recordsRead == kRecords ? elapsed : -1, cpu};
  }

  // As the user opens it from "Вид" and closes it.
  void ShowMonitor(bool shown) {
    if (shown) {
      window_.findChild<QAction*>(QStringLiteral("Traffic1"))->trigger();
    } else if (window_.trafficMonitor()) {
      window_.trafficMonitor()->close();
    }
    QApplication::processEvents();
  }

 private:
  test::TempDir dir_;
  Devices devices_;
  MainWindow window_;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void BM_ArchiveOverTcpWithMonitor(benchmark::State& state) {
  test::SimMeter sim({"--no-serial", "--tcp", "0", "--hour-records", QString::number(kRecords)});
  WindowProgram program;
  if (!sim.Ready() || !program.Connect(sim.TcpPort())) return state.SkipWithError("no simulated meter");
  std::vector<double> with, without, ratios, cpuRatios;
  bool openFirst = false;
  for (auto _ : state) {
    ReadTime open, closed;
    // Which read comes first changes every time: neither gains from the other's wake.
    for (const bool monitor : {openFirst, !openFirst}) {
      program.ShowMonitor(monitor);
      (monitor ? open : closed) = program.ReadArchive();
    }
    openFirst = !openFirst;
    if (open.elapsed < 0 || closed.elapsed < 0) return state.SkipWithError("archive read failed");
    with.push_back(open.elapsed);
    without.push_back(closed.elapsed);
    ratios.push_back(open.elapsed / closed.elapsed);
    cpuRatios.push_back(open.cpu / closed.cpu);
    state.SetIterationTime(open.elapsed);
  }
  state.counters["with_monitor_ms"] = Median(with) * 1000;
  state.counters["without_monitor_ms"] = Median(without) * 1000;
  state.counters["with_to_without"] = Median(ratios);
  state.counters["cpu_with_to_without"] = Median(cpuRatios);
}

BENCHMARK(BM_ArchiveOverTcpWithMonitor)->Iterations(30)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace
}  // namespace kamt::bench
