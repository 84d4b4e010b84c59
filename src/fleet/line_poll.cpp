#include "fleet/line_poll.h"

#include "fleet/fleet_file.h"
#include "fleet/silent_window.h"
#include "fleet/store.h"
#include "fleet/worker_pool.h"
#include "link/client_socket.h"
#include "link/clock.h"
#include "link/serial_port.h"
#include "meter/archive_read.h"
#include "meter/session.h"
#include "setup/connection.h"
#include "setup/modem_dial.h"
#include "setup/port_open_failure.h"
#include "setup/tcp_events.h"

namespace kamt {
namespace {

// How long a TCP connection or a modem's answer to a dial may take.
constexpr int kConnectLimitMs = 10000;
constexpr std::uint64_t kDialLimitMs = 60000;
// A wait for a connection looks at the stop this often.
constexpr int kStopCheckMs = 200;

// The socket's handlers point at one meter's session: they must go with it.
struct SocketHandlersGuard {
  ClientSocket& socket;
  ~SocketHandlersGuard() { socket.SetHandlers({}); }
};

class LinePoller {
 public:
  LinePoller(Workbench& bench, const CollectOptions& options, const std::function<void(const PollReport&)>& report)
      : b_(bench), options_(options), report_(report) {}

  void Poll(const std::vector<const FleetMeter*>& line) {
    for (const FleetMeter* m : line) {
      if (Stopped()) break;
      SilentWindow w;
      Session s(w, b_.port, b_.socket, b_.clock);
      StopHook(s, w);
      m->kind == LineKind::Serial ? PollSerial(*m, s, w) : PollTcp(*m, s, w);
    }
    b_.socket.Close();
    b_.port.Close();
  }

 private:
  bool Stopped() const { return options_.Stopped(); }

  // A stop reaches the meter's read as "Прервать чтение" would, where the window runs events.
  void StopHook(Session& s, SilentWindow& w) {
    w.SetEventHook([this, &s] {
      if (Stopped()) Button7Click(s);
    });
  }

  void Poll(const FleetMeter& m, Session& s, SilentWindow& w) {
    report_(PollMeter(s, w, b_.store, m, options_.archives, UtcNowText));
  }

  void Unreached(const FleetMeter& m, const std::string& why) {
    report_(UnreachedMeter(b_.store, m, why, UtcNowText()));
  }

  void PollTcp(const FleetMeter& m, Session& s, SilentWindow& w) {
    LinkSettingsRecord& settings = s.link.LinkSettings;
    settings.Type = 1;
    settings.IpAddr = m.host;
    settings.TcpPort = m.port;
    // A converter carries RTU frames to the meter's address; a Modbus TCP meter or gateway
    // takes the unit id the line gives.
    const bool converter = m.kind == LineKind::RtuTcp;
    settings.Framing = converter ? EthernetFraming::Rtu : EthernetFraming::Mbap;
    settings.UnitId = m.unit;
    settings.UnitIdIsAddress = false;
    settings.NetAddr = m.address;
    settings.Delay = converter ? m.delayMs : 0;
    SocketHandlersGuard guard{b_.socket};
    InstallSocketHandlers(s.link, w);
    if (!b_.socket.Connected() && !Connect(m, w)) return;
    Poll(m, s, w);
  }

  bool Connect(const FleetMeter& m, SilentWindow& w) {
    ClientSocket& socket = b_.socket;
    socket.Open(m.host, m.port);
    const std::uint64_t start = b_.clock.NowMs();
    while (socket.Connecting() && !Stopped()) {
      const std::uint64_t elapsed = b_.clock.NowMs() - start;
      if (elapsed >= kConnectLimitMs) break;
      socket.WaitForEvent(std::min(kStopCheckMs, static_cast<int>(kConnectLimitMs - elapsed)));
    }
    if (socket.Connected()) return true;
    socket.Close();
    const std::string why = w.StatusText(0);
    Unreached(m, !why.empty() ? why : Stopped() ? "stopped" : "no connection to " + m.host + ":" +
                                                                std::to_string(m.port) + " within 10 s");
    return false;
  }

  void PollSerial(const FleetMeter& m, Session& s, SilentWindow& w) {
    LinkSettingsRecord& settings = s.link.LinkSettings;
    settings.Type = 0;
    settings.PortName = m.device;
    settings.NetAddr = m.address;
    settings.Baudrate = m.baud;
    settings.Bits = m.bitsCode;
    settings.Parity = m.parityCode;
    settings.StopBits = m.stopBitsCode;
    settings.Delay = m.delayMs;
    settings.Modem = !m.modemNumber.empty();
    SerialPort& port = b_.port;
    if (!port.IsOpen() && !port.Open(m.device)) {
      return Unreached(m, PortOpenFailureText(m.device, port.LastOpenFailure(), port.LastOpenDetail()));
    }
    // A setting the device refuses is left as it was, as the window leaves it: the meter's
    // answers tell whether the line still works.
    port.Configure(MapLineParameters(settings));
    if (settings.Modem) {
      if (!Dial(m, w)) return;
      StopHook(s, w);
    }
    Poll(m, s, w);
    if (settings.Modem) HangUp(s, w);
  }

  bool Dial(const FleetMeter& m, SilentWindow& w) {
    ModemDial dial(w, b_.port, b_.clock);
    w.SetText("TelNum_ComboBox", m.modemNumber);
    const std::uint64_t deadline = b_.clock.NowMs() + kDialLimitMs;
    w.SetEventHook([&] {
      if (Stopped() || b_.clock.NowMs() >= deadline) dial.AbortDial();
    });
    dial.Connect_ButtonClick();
    if (dial.result() == ModemDial::Result::Ok) return true;
    b_.port.Close();
    const std::string said = w.StatusText(0);
    const std::string answer = w.LastLine().empty() ? "" : " (" + w.LastLine() + ")";
    Unreached(m, "modem " + m.modemNumber + ": " + (said.empty() ? "no answer within 60 s" : said) + answer);
    return false;
  }

  // As "Разорвать соединение" with the modem option ticked: "+++", "ATH", the port closed.
  void HangUp(Session& s, SilentWindow& w) {
    SilentWindow form2;
    form2.SetItemIndex("ModemConnect_CheckBox", 1);
    w.SetEventHook(nullptr);
    DisconnectClick(s.link, w, form2);
  }

  Workbench& b_;
  const CollectOptions& options_;
  const std::function<void(const PollReport&)>& report_;
};

}  // namespace

void PollLine(Workbench& bench, const std::vector<const FleetMeter*>& line, const CollectOptions& options,
              const std::function<void(const PollReport&)>& report) {
  LinePoller(bench, options, report).Poll(line);
}

}  // namespace kamt
