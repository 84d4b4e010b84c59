#include "setup/connection.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "link/client_socket.h"
#include "link/clock.h"
#include "link/link.h"
#include "link/serial_line.h"
#include "link/serial_port.h"
#include "link/traffic_event.h"
#include "setup/command_sets.h"
#include "setup/connection_dialog.h"
#include "setup/connection_text.h"
#include "setup/modem_dialog.h"
#include "setup/port_open_failure.h"
#include "setup/window.h"

namespace kamt {
namespace {

// A Hayes modem leaves its data mode only after a second of silence on both sides of "+++".
constexpr int kGuardTimeMs = 1000;
// "\r\nOK\r\n": the modem's whole answer to "+++" and to "ATH".
constexpr std::size_t kModemAnswerLength = 6;

void ShowConnected(Window& w) {
  w.SetVisible("Connect", false);
  w.SetVisible("Disconnect", true);
}

void ShowNotConnected(Window& w) {
  w.SetVisible("Disconnect", false);
  w.SetVisible("Connect", true);
}

// What panel 0 says about a port that is not open: why, when an attempt to open it failed.
std::string PortNotOpenText(const Link& link) {
  const SerialPort& port = link.port;
  if (port.LastOpenFailure() == OpenFailure::None) return "Порт не открыт";
  return PortOpenFailureText(link.LinkSettings.PortName, port.LastOpenFailure(), port.LastOpenDetail());
}

void ConnectSerial(Link& link, Window& w, bool throughModem, const ModemDialog& modem) {
  if (!link.port.IsOpen()) {
    w.SetStatusText(0, PortNotOpenText(link));
    return;
  }
  ShowConnected(w);
  std::string text = LineDescription(link.LinkSettings);
  if (throughModem) text += " Соед: " + modem.TelNumText();
  w.SetStatusText(0, text);
  for (const char* button : kConnectSet) w.SetEnabled(button, true);
}

// Completes later, in ClientSocket1Connect. The text comes first so that a connection that
// fails at once leaves its reason in the panel.
void ConnectTcp(Link& link, Window& w) {
  const LinkSettingsRecord& s = link.LinkSettings;
  const std::string host = DottedAddress(s.IpBytes);
  w.SetStatusText(0, "Подключение к " + host + ", порт:" + std::to_string(s.TcpPort) + "...");
  link.socket.Open(host, s.TcpPort);
}

void ShowFailedDial(Link& link, Window& w, const ModemDialog& modem) {
  w.SetStatusText(0, link.port.IsOpen() ? LineDescription(link.LinkSettings) + " Нет соед:" + modem.TelNumText()
                                        : PortNotOpenText(link));
  for (const char* button : kFailedDialSet) w.SetEnabled(button, false);
  ShowNotConnected(w);
}

void SendToModem(Link& link, std::string_view command) {
  FrameBuffers& f = link.frames;
  std::copy(command.begin(), command.end(), f.TxBuffer.begin());
  f.TxLength = static_cast<int>(command.size());
  link.port.Purge();
  const auto bytes = std::span(f.TxBuffer).first(command.size());
  link.port.Write(bytes);
  Trace(link.port.traffic, TrafficDirection::Sent, TrafficKind::ModemText, bytes);
}

bool ModemAnsweredOk(Link& link) {
  FrameBuffers& f = link.frames;
  const std::size_t n = ReadAnswer(link.port, std::span(f.RxBuffer).first(kModemAnswerLength), link.clock);
  f.RxLength = static_cast<int>(n);
  Trace(link.port.traffic, TrafficDirection::Received, TrafficKind::ModemText, std::span(f.RxBuffer).first(n));
  const std::string_view answer(reinterpret_cast<const char*>(f.RxBuffer.data()), n);
  return n == kModemAnswerLength && answer.find("OK") != std::string_view::npos;
}

// Back to command mode with "+++" between two guard times, then "ATH". Whatever the modem
// answers, the port is closed afterwards.
void HangUpModem(Link& link, Window& w) {
  link.clock.Sleep(kGuardTimeMs);
  SendToModem(link, "+++");
  link.clock.Sleep(kGuardTimeMs);
  if (!ModemAnsweredOk(link)) return;
  w.SetStatusText(1, "Командный режим");
  SendToModem(link, "ATH\r");
  if (ModemAnsweredOk(link)) w.SetStatusText(1, "Соединение разорвано");
}

}  // namespace

void ShowDisconnected(Window& w) {
  for (const char* button : kDisconnectSet) w.SetEnabled(button, false);
  ShowNotConnected(w);
}

void ConnectClick(Link& link, Window& w, SettingsDialog& form2, ModemDialog& modem) {
  const LinkSettingsRecord& s = link.LinkSettings;
  form2.Form().SetItemIndex("RadioGroup1", InterfacePosition(s));
  w.SetStatusText(1, "");
  const bool ok = form2.ShowModal();
  const bool throughModem = IsTicked(form2.Form(), "ModemConnect_CheckBox");
  if (ok) {
    // An attempt still under way would otherwise complete later and take the window over.
    if (link.socket.Connecting()) link.socket.Close();
    if (s.Type == 0) {
      ConnectSerial(link, w, throughModem, modem);
    } else {
      ConnectTcp(link, w);
    }
    return;
  }
  if (s.Type != 0 || !throughModem) return;
  ShowFailedDial(link, w, modem);
}

void DisconnectClick(Link& link, Window& w, const Window& form2) {
  if (!link.IsSerial()) {
    link.socket.Close();
    w.SetStatusText(0, "");
    w.SetStatusText(1, "Соединение разорвано");
    ShowDisconnected(w);
    return;
  }
  // A port that went away under the connection (an adapter pulled out) still leaves the
  // window connected; it is put back to "not connected" all the same.
  if (link.port.IsOpen()) {
    if (IsTicked(form2, "ModemConnect_CheckBox")) {
      HangUpModem(link, w);
    } else {
      w.SetStatusText(1, "Соединение разорвано");
    }
  }
  link.port.Close();
  w.SetStatusText(0, "");
  ShowDisconnected(w);
}

}  // namespace kamt
