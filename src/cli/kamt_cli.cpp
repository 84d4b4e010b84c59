#include "cli/kamt_cli.h"

#include <optional>

#include "cli/cli_command.h"
#include "cli/cli_options.h"
#include "cli/console_window.h"
#include "cli/modem_call.h"
#include "link/client_socket.h"
#include "link/clock.h"
#include "link/serial_port.h"
#include "link/traffic_hookup.h"
#include "link/traffic_stream.h"
#include "meter/session.h"
#include "setup/connection_text.h"
#include "setup/ip_address.h"
#include "setup/port_open_failure.h"
#include "setup/settings_file.h"
#include "setup/tcp_events.h"

namespace kamt {
namespace {

// How long the command line waits for a TCP connection before giving up on it.
constexpr int kTcpConnectLimitMs = 10000;
// How long it waits for a modem's answer to a dial, unless told otherwise: long enough for a
// slow exchange to ring and two modems to agree on a speed.
constexpr int kDialLimitS = 60;

class CliRun {
 public:
  CliRun(const CliOptions& options, CliDevices& devices, std::ostream& out, std::ostream& err)
      : options_(options), devices_(devices), out_(out), err_(err), window_(err),
        session_(window_, devices.port, devices.socket, devices.clock) {
    session_.decimalSeparator = devices.decimalSeparator;
    if (options.trace) {
      trace_.emplace(err).SetBeforeLine([this] { window_.EndProgressLine(); });
      AttachTraffic(devices.port, devices.socket, &*trace_);
    }
  }
  ~CliRun() {
    if (trace_) AttachTraffic(devices_.port, devices_.socket, nullptr);
  }
  CliRun(const CliRun&) = delete;
  CliRun& operator=(const CliRun&) = delete;

  int Run() {
    // A command that needs no meter (two files compared) runs without a connection.
    if (Offline()) return Finish(Command());
    const int chosen = ChooseConnection();
    if (chosen != kExitOk) return chosen;
    if (!(session_.link.IsSerial() ? OpenSerial() : ConnectTcp())) return kExitFailed;
    if (options_.modemNumber && !DialForCommand(devices_, *options_.modemNumber,
                                                options_.dialTimeoutS.value_or(kDialLimitS), err_)) {
      devices_.port.Close();
      return kExitFailed;
    }
    const bool ok = Command();
    if (!ok) ReportStatus();
    if (options_.modemNumber) HangUpAfterCommand(session_, err_);
    devices_.port.Close();
    devices_.socket.Close();
    return Finish(ok);
  }

 private:
  // The settings file of this directory is the base, as in the window; options override it.
  int ChooseConnection() {
    LinkSettingsRecord& s = session_.link.LinkSettings;
    for (const std::string& warning : LoadSettings(s, devices_.settingsPath).warnings) err_ << "kamt: " << warning << '\n';
    ApplyLineOptions(options_, s);
    if (options_.serialDevice) {
      s.Type = 0;
      s.PortName = *options_.serialDevice;
    } else if (options_.tcpAddress) {
      s.Type = 1;
      s.Framing = options_.rtuOverTcp ? EthernetFraming::Rtu : EthernetFraming::Mbap;
      s.IpBytes = *options_.tcpAddress;
      s.IpAddr = *options_.tcpHost;
      s.TcpPort = options_.tcpPort.value_or(502);
    } else if (s.IsSerial()) {
      err_ << "kamt: the settings file chooses the serial line, whose device it does not keep: give --serial DEVICE"
              " (see kamt --help)\n";
      return kExitUsage;
    } else if (const auto ip = ParseIpAddress(s.IpAddr)) {
      s.IpBytes = *ip;
    } else {
      err_ << "kamt: the settings file's IP_Addr \"" << s.IpAddr << "\" is not an IPv4 address\n";
      return kExitFailed;
    }
    return kExitOk;
  }

  bool OpenSerial() {
    const LinkSettingsRecord& s = session_.link.LinkSettings;
    SerialPort& port = devices_.port;
    if (!port.Open(s.PortName)) {
      err_ << PortOpenFailureText(s.PortName, port.LastOpenFailure(), port.LastOpenDetail()) << '\n';
      return false;
    }
    for (const std::string& refused : port.Configure(MapLineParameters(s))) {
      err_ << "kamt: the device did not accept the " << refused << " setting; it was left as it was\n";
    }
    return true;
  }

  bool ConnectTcp() {
    Link& link = session_.link;
    ClientSocket& socket = devices_.socket;
    InstallSocketHandlers(link, window_);
    const std::string host = DottedAddress(link.LinkSettings.IpBytes);
    window_.SetStatusText(0, "Подключение к " + host + ", порт:" + std::to_string(link.LinkSettings.TcpPort) + "...");
    socket.Open(host, link.LinkSettings.TcpPort);
    const std::uint64_t start = devices_.clock.NowMs();
    while (socket.Connecting()) {
      const std::uint64_t elapsed = devices_.clock.NowMs() - start;
      if (elapsed >= kTcpConnectLimitMs) break;
      socket.WaitForEvent(static_cast<int>(kTcpConnectLimitMs - elapsed));
    }
    if (socket.Connected()) return true;
    if (socket.Connecting()) ClientSocket1Error(link, window_, "время ожидания истекло");
    err_ << window_.StatusText(0) << '\n';
    return false;
  }

  bool Offline() const {
    const CliCommand* command = FindCliCommand(options_.command[0]);
    const std::vector<std::string> args(options_.command.begin() + 1, options_.command.end());
    return command && command->offline && command->offline(args);
  }

  bool Command() {
    const CliCommand* command = FindCliCommand(options_.command[0]);
    const std::vector<std::string> args(options_.command.begin() + 1, options_.command.end());
    CliContext context{session_, window_, devices_, args, out_, err_, options_.json, std::nullopt};
    const bool ok = command && command->run(context);
    exitStatus_ = context.exitStatus;
    return ok;
  }

  // A command may say its own exit status (a comparison's, as diff(1) says it).
  int Finish(bool ok) const { return exitStatus_.value_or(ok ? kExitOk : kExitFailed); }

  // A failed command leaves its reason in the status panels; a script must see it too, and
  // also what the window leaves unsaid: a dropped connection or an answer that never came.
  void ReportStatus() {
    for (int panel : {1, 2}) {
      const std::string text = window_.StatusText(panel);
      if (!text.empty()) err_ << text << '\n';
    }
    switch (session_.link.lastTcpFailure) {
      case TcpFailure::NotConnected: err_ << window_.StatusText(0) << '\n'; break;
      case TcpFailure::NoAnswer: err_ << "kamt: no answer within 3 s\n"; break;
      default: break;
    }
  }

  const CliOptions& options_;
  CliDevices& devices_;
  std::ostream& out_;
  std::ostream& err_;
  ConsoleWindow window_;
  Session session_;
  std::optional<TrafficStream> trace_;
  std::optional<int> exitStatus_;
};

}  // namespace

int RunKamt(const std::vector<std::string>& args, CliDevices& devices, std::ostream& out, std::ostream& err) {
  if (!args.empty() && args[0] == "collect") return RunCollect({args.begin() + 1, args.end()}, devices, out, err);
  if (!args.empty() && args[0] == "export") return RunExport({args.begin() + 1, args.end()}, devices, out, err);
  if (!args.empty() && args[0] == "statement") return RunStatement({args.begin() + 1, args.end()}, devices, out, err);
  const CliParseResult parsed = ParseCliOptions(args);
  if (!parsed.error.empty()) {
    err << "kamt: " << parsed.error << " (see kamt --help)\n";
    return kExitUsage;
  }
  if (parsed.options.help) {
    out << CliHelp();
    return kExitOk;
  }
  return CliRun(parsed.options, devices, out, err).Run();
}

}  // namespace kamt
