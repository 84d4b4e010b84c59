#include "setup/connection_dialog.h"

#include <string>

#include "link/link.h"
#include "link/serial_port.h"
#include "setup/ip_address.h"
#include "setup/modem_dialog.h"
#include "setup/port_list.h"
#include "setup/window.h"
#include "text/input_number.h"

namespace kamt {
namespace {

// The delay the meters are used to when the field holds no number.
constexpr int kDefaultDelayMs = 100;

}  // namespace

bool IsTicked(const Window& form, const char* checkBox) { return form.ItemIndex(checkBox) == 1; }

int InterfacePosition(const LinkSettingsRecord& s) {
  // Any interface code but 0 means Ethernet; the framing tells a converter from Modbus TCP.
  if (s.IsSerial()) return kSerialPosition;
  return s.Framing == EthernetFraming::Rtu ? kConverterPosition : kEthernetPosition;
}

void ConnectionDialog::FormCreate() {
  const LinkSettingsRecord& s = link_.LinkSettings;
  link_.port.Close();
  openName_.clear();
  FillPortList();
  form_.SetItemIndex("RadioGroup1", InterfacePosition(s));
  RadioGroup1Click();
  if (form_.ItemCount("ComboBox1") > 0) form_.SetItemIndex("ComboBox1", s.PortIndex);
  form_.SetText("ComboBox2", std::to_string(s.Baudrate));
  form_.SetItemIndex("ComboBox3", s.Bits);
  form_.SetItemIndex("ComboBox4", s.Parity);
  form_.SetItemIndex("ComboBox5", s.StopBits);
  form_.SetText("Edit1", std::to_string(s.NetAddr));
  form_.SetText("Edit2", s.IpAddr);
  form_.SetText("Edit3", std::to_string(s.TcpPort));
  form_.SetText("Edit4", std::to_string(s.Delay));
  form_.SetItemIndex("ModemConnect_CheckBox", s.Modem ? 1 : 0);
}

void ConnectionDialog::FillPortList() { form_.SetItems("ComboBox1", ports_.Names()); }

// A converter is reached over the network but carries the serial line's requests: the delay
// between them applies to it too.
void ConnectionDialog::RadioGroup1Click() {
  const int position = form_.ItemIndex("RadioGroup1");
  const bool serial = position == kSerialPosition;
  form_.SetVisible("GroupBox1", serial);
  form_.SetVisible("GroupBox3", !serial);
  form_.SetEnabled("Edit4", serial || position == kConverterPosition);
}

ModalResult ConnectionDialog::Button1Click() {
  LinkSettingsRecord& s = link_.LinkSettings;
  s.PortName = form_.Text("ComboBox1");
  const int position = form_.ItemIndex("RadioGroup1");
  // The file keeps the described codes: a converter is an Ethernet choice of RTU framing.
  const bool converter = position == kConverterPosition;
  s.Type = converter ? 1 : position;
  if (s.IsSerial()) return ApplySerial();
  s.Framing = converter ? EthernetFraming::Rtu : EthernetFraming::Mbap;
  const ModalResult network = ApplyEthernet();
  // The meter's address leads every frame through a converter, and names it to a gateway.
  if (!converter && !s.UnitIdIsAddress) return network;
  if (converter) s.Delay = ParseInteger(form_.Text("Edit4")).value_or(kDefaultDelayMs);
  return ApplyAddress() ? network : ModalResult::None;
}

bool ConnectionDialog::ApplyAddress() {
  const auto address = ParseInteger(form_.Text("Edit1"));
  if (!address) {
    form_.ShowMessage("Ошибка ввода адреса прибора!");
    return false;
  }
  if (*address >= 1 && *address <= 255) link_.LinkSettings.NetAddr = *address;
  return true;
}

// An open port stays open while the same device is chosen again; another device closes it
// first. A typed device path has no list position, so its name tells whether it is the same.
void ConnectionDialog::OpenChosenPort() {
  LinkSettingsRecord& s = link_.LinkSettings;
  SerialPort& port = link_.port;
  const int position = form_.ItemIndex("ComboBox1");
  const bool samePort = position == s.PortIndex && s.PortName == openName_;
  if (port.IsOpen() && samePort) return;
  port.Close();
  openName_ = port.Open(s.PortName) ? s.PortName : std::string();
}

ModalResult ConnectionDialog::ApplySerial() {
  LinkSettingsRecord& s = link_.LinkSettings;
  s.Modem = IsTicked(form_, "ModemConnect_CheckBox");
  OpenChosenPort();
  s.PortIndex = form_.ItemIndex("ComboBox1");
  if (link_.port.IsOpen()) {
    const std::string baudText = form_.Text("ComboBox2");
    const auto baudrate = ParseInteger(baudText);
    if (!baudrate) {
      form_.ShowMessage("'" + baudText + "' is not a valid integer value");
      return ModalResult::None;
    }
    s.Baudrate = *baudrate;
    s.Bits = form_.ItemIndex("ComboBox3");
    s.Parity = form_.ItemIndex("ComboBox4");
    s.StopBits = form_.ItemIndex("ComboBox5");
    // The read time-outs are fixed and applied by every exchange itself.
    link_.port.Configure(MapLineParameters(s));
  }
  s.Delay = ParseInteger(form_.Text("Edit4")).value_or(kDefaultDelayMs);
  const bool addressError = !ApplyAddress();
  // The modem dialog decides also after an address error: the port is open for it.
  if (s.Modem) return modem_.ShowModal() ? ModalResult::Ok : ModalResult::Cancel;
  return addressError ? ModalResult::None : ModalResult::Ok;
}

ModalResult ConnectionDialog::ApplyEthernet() {
  LinkSettingsRecord& s = link_.LinkSettings;
  bool valid = true;
  const std::string address = form_.Text("Edit2");
  if (const auto bytes = ParseIpAddress(address)) {
    s.IpBytes = *bytes;
    s.IpAddr = address;
  } else {
    form_.ShowMessage("Ошибка ввода IP-адреса!");
    valid = false;
  }
  // A TCP port is 1 to 65535; any other number would quietly reach another port.
  const auto tcpPort = ParseInteger(form_.Text("Edit3"));
  if (tcpPort && *tcpPort >= 1 && *tcpPort <= 65535) {
    s.TcpPort = *tcpPort;
  } else {
    form_.ShowMessage("Ошибка ввода номера порта!");
    valid = false;
  }
  return valid ? ModalResult::Ok : ModalResult::None;
}

}  // namespace kamt
