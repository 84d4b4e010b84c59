// kamt-sim: a simulated КАМТ flow meter, or many of them, for tests, benchmarks and
// demonstrations.
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <iostream>
#include <memory>
#include <optional>
#include <sys/resource.h>

#include "io/device_link.h"
#include "io/serial_front.h"
#include "io/signal_watch.h"
#include "io/sim_clock.h"
#include "io/stdin_commands.h"
#include "io/tcp_front.h"
#include "meter_plan.h"
#include "serial_side.h"
#include "sim_options.h"
#include "station.h"
#include "tcp_session.h"

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

bool Fail(std::string& error, std::string message) {
  error = std::move(message);
  return false;
}

FaultPlan FaultsOf(const SimOptions& o, std::size_t meter) {
  std::vector<Fault> faults = o.faults;
  for (const auto& [index, fault] : o.fleetFaults) {
    if (index == meter) faults.push_back(fault);
  }
  return FaultPlan(std::move(faults), o.faultTimes, o.archiveFailure, o.answerDelayMs, o.faultSkip);
}

// Everything the simulator runs, kept alive until it exits.
struct Simulator {
  std::deque<Station> stations;
  Bus bus;
  std::optional<SerialSide> serialSide;
  std::optional<SerialFront> serial;
  DeviceLink link;
  std::vector<std::unique_ptr<TcpFront>> tcp;  // one per meter in a fleet
  std::optional<TcpFront> rtuTcp;
};

bool OpenSerial(const SimOptions& o, Simulator& sim, const SimClock& clock, const Logger& log, std::string& error) {
  SerialConfig config{o.baud, std::nullopt, {}, "serial"};
  if (o.modem) config.modem = o.modemConfig;
  if (o.line) config.lineMatches = [&sim, wanted = *o.line] { return sim.serial->LineMatches(wanted); };
  sim.serialSide.emplace(config, sim.bus, log);
  sim.serial.emplace(*sim.serialSide, clock);
  if (!sim.serial->Open(error)) return false;
  if (!o.link.empty() && !sim.link.Make(o.link, sim.serial->DevicePath(), error)) return false;
  Announce("serial " + sim.serial->DevicePath());
  return true;
}

// A plain simulator serves its first meter over Modbus TCP (or the whole bus, as a gateway);
// a fleet gives each meter a port of its own, counted up from a given one.
bool OpenTcp(const SimOptions& o, Simulator& sim, const SimClock& clock, const Logger& log, std::string& error) {
  const std::size_t ports = o.fleet > 0 ? sim.stations.size() : 1;
  for (std::size_t i = 0; i < ports; ++i) {
    const Units units{&sim.stations[i], o.tcpUnitIsAddress ? &sim.bus : nullptr};
    sim.tcp.push_back(std::make_unique<TcpFront>([units, log] { return std::make_unique<TcpSession>(units, log); }, clock));
    const std::size_t port = *o.tcpPort == 0 ? 0 : *o.tcpPort + i;
    if (port > 65535) return Fail(error, "--tcp " + std::to_string(*o.tcpPort) + ": too few ports above it for the fleet");
    if (!sim.tcp.back()->Listen(static_cast<std::uint16_t>(port), error)) return false;
  }
  if (o.fleet == 0) Announce("tcp 127.0.0.1:" + std::to_string(sim.tcp[0]->Port()));
  return true;
}

bool OpenRtuTcp(const SimOptions& o, Simulator& sim, const SimClock& clock, const Logger& log, std::string& error) {
  const SerialConfig config{o.baud, std::nullopt, {}, "rtu-tcp", true};
  sim.rtuTcp.emplace([&sim, config, log] { return std::make_unique<SerialSide>(config, sim.bus, log); }, clock);
  if (!sim.rtuTcp->Listen(*o.rtuTcpPort, error)) return false;
  Announce("rtu-tcp 127.0.0.1:" + std::to_string(sim.rtuTcp->Port()));
  return true;
}

void AnnounceFleet(const Simulator& sim, std::size_t onBus, bool rtuTcp) {
  for (std::size_t i = 0; i < sim.stations.size(); ++i) {
    std::string line = "meter " + std::to_string(i) + " serial " + std::to_string(sim.stations[i].meter.SerialNumber());
    if (!sim.tcp.empty()) line += " tcp 127.0.0.1:" + std::to_string(sim.tcp[i]->Port());
    if (rtuTcp && i < onBus) line += " address " + std::to_string(sim.stations[i].address);
    Announce(line);
  }
}

// A fleet holds a listening socket per meter and a connection per master: let it have as many
// descriptors as the system allows.
void RaiseDescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
}

// "advance SECONDS" moves every meter's time on at once; "ok" when done.
void RunCommand(const std::string& line, TimeBase& time) {
  long long seconds = 0;
  char rest = 0;
  if (std::sscanf(line.c_str(), "advance %lld %c", &seconds, &rest) == 1 && seconds >= 0) {
    time.Advance(seconds * 1000);
    Announce("ok");
  } else {
    std::cerr << "kamt-sim: unknown command: " << line << std::endl;
  }
}

int Run(const SimOptions& o) {
  RaiseDescriptorLimit();
  const SimClock clock;
  TimeBase time(o.start.value_or(SimClock::HostLocalNow()), o.timeScale);
  const Logger log = MakeLogger(o.verbose);
  std::string error;
  const MeterPlan plan = *PlanMeters(o, error);
  Simulator sim;
  for (std::size_t i = 0; i < plan.meters.size(); ++i) {
    sim.stations.emplace_back(plan.meters[i], time.Simulated(clock.Now()), FaultsOf(o, i), &time);
    if (i < plan.onBus) sim.bus.Add(sim.stations.back());
  }
  if (o.serial && !OpenSerial(o, sim, clock, log, error)) return Fail(error);
  if (o.tcpPort && !OpenTcp(o, sim, clock, log, error)) return Fail(error);
  if (o.rtuTcpPort && !OpenRtuTcp(o, sim, clock, log, error)) return Fail(error);
  if (o.fleet > 0) AnnounceFleet(sim, plan.onBus, o.rtuTcpPort.has_value());

  const SignalWatch stopOnSignal([] { QCoreApplication::quit(); });
  const StdinCommands commands([&time](const std::string& line) { RunCommand(line, time); });
  if (o.exitAfterMs) QTimer::singleShot(std::chrono::milliseconds(*o.exitAfterMs), [] { QCoreApplication::quit(); });
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
