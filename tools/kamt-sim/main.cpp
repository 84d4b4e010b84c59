// kamt-sim: a simulated КАМТ flow meter for tests, benchmarks and demonstrations.
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <optional>

#include "fault_plan.h"
#include "io/device_link.h"
#include "io/serial_front.h"
#include "io/signal_watch.h"
#include "io/sim_clock.h"
#include "io/tcp_front.h"
#include "meter.h"
#include "modbus_handler.h"
#include "serial_side.h"
#include "sim_options.h"

namespace {

using namespace kamt::sim;

void Announce(const std::string& line) {
  std::cout << line << std::endl;  // flushed: the test waiting for it reads a pipe
}

kamt::sim::Logger MakeLogger(bool verbose) {
  if (!verbose) return {};
  return [](std::string_view line) { std::cerr << line << std::endl; };
}

int Fail(const std::string& message) {
  std::cerr << "kamt-sim: " << message << std::endl;
  return 1;
}

int Run(const SimOptions& options) {
  const SimClock clock;
  Meter meter(options.meter, clock.Now());
  ModbusHandler handler(meter);
  FaultPlan faults(options.faults, options.faultTimes, options.archiveFailure);
  const Logger log = MakeLogger(options.verbose);
  std::string error;

  std::optional<SerialSide> serialSide;
  std::optional<SerialFront> serial;
  DeviceLink link;
  if (options.serial) {
    SerialConfig config{options.meter.address, options.baud, std::nullopt};
    if (options.modem) config.modem = options.modemConfig;
    serialSide.emplace(config, handler, faults, log);
    serial.emplace(*serialSide, clock);
    if (!serial->Open(error)) return Fail(error);
    if (!options.link.empty() && !link.Make(options.link, serial->DevicePath(), error)) return Fail(error);
    Announce("serial " + serial->DevicePath());
  }
  std::optional<TcpFront> tcp;
  if (options.tcpPort) {
    tcp.emplace(options.meter.address, handler, faults, log, clock);
    if (!tcp->Listen(*options.tcpPort, error)) return Fail(error);
    Announce("tcp 127.0.0.1:" + std::to_string(tcp->Port()));
  }

  const SignalWatch stopOnSignal([] { QCoreApplication::quit(); });
  if (options.exitAfterMs) {
    QTimer::singleShot(std::chrono::milliseconds(*options.exitAfterMs), [] { QCoreApplication::quit(); });
  }
  Announce("ready");
  return QCoreApplication::exec();
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const ParsedCommandLine parsed = ParseCommandLine(args);
  if (!parsed.options) {
    std::cerr << parsed.error << std::endl;
    return 2;
  }
  if (parsed.options->help) {
    std::cout << HelpText();
    return 0;
  }
  QCoreApplication app(argc, argv);
  return Run(*parsed.options);
}
