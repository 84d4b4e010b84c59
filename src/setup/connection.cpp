#include "setup/connection.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "link/client_socket.h"
#include "link/link.h"
#include "link/serial_port.h"
#include "setup/command_sets.h"
#include "setup/connection_dialog.h"
#include "setup/connection_text.h"
#include "setup/modem_dialog.h"
#include "setup/modem_hang_up.h"
#include "setup/port_open_failure.h"
#include "setup/window.h"

namespace kamt {
namespace {

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

// Back to command mode, then the call ended; panel 1 tells how far it got. Whatever the modem
// answers, the port is closed afterwards.
void HangUp(Link& link, Window& w) {
  const HangUpResult reached = HangUpModem(link.port, link.clock, link.frames);
  if (reached == HangUpResult::NoAnswer) return;
  w.SetStatusText(1, "Командный режим");
  if (reached == HangUpResult::HungUp) w.SetStatusText(1, "Соединение разорвано");
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
    if (s.IsSerial()) {
      ConnectSerial(link, w, throughModem, modem);
    } else {
      ConnectTcp(link, w);
    }
    return;
  }
  if (!s.IsSerial() || !throughModem) return;
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
      HangUp(link, w);
    } else {
      w.SetStatusText(1, "Соединение разорвано");
    }
  }
  link.port.Close();
  w.SetStatusText(0, "");
  ShowDisconnected(w);
}

}  // namespace kamt
