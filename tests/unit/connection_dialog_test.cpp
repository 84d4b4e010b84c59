// The connection dialog's logic: what it shows from the settings and what "Применить" stores.
#include <gtest/gtest.h>

#include "connection_fakes.h"
#include "setup/settings_file.h"
#include "temp_dir.h"
#include "test_rig.h"

namespace kamt {
namespace {

using Texts = std::vector<std::string>;

class ConnectionDialogTest : public ::testing::Test {
 protected:
  ConnectionDialogTest() {
    ports.names = {"/dev/ttyS0", "/dev/ttyUSB0"};
    // A first run: no settings file.
    test::TempDir dir;
    LoadSettings(settings(), dir.path / "Vedan_modbus.ini");
  }
  LinkSettingsRecord& settings() { return rig.session.link.LinkSettings; }
  void Create() {
    dialog.FormCreate();
    rig.port.calls.clear();
    form.log.clear();
  }
  ModalResult Apply() { return dialog.Button1Click(); }
  void ExpectSerialGroupShown(bool shown) {
    EXPECT_EQ(form.Visible("GroupBox1"), shown);
    EXPECT_EQ(form.Visible("GroupBox3"), !shown);
    EXPECT_EQ(form.Enabled("Edit4"), shown);
  }

  test::TestRig rig;
  test::DialogForm form;
  test::ListedPorts ports;
  test::FakeModemDialog modem;
  ConnectionDialog dialog{form, rig.session.link, ports, modem};
};

// No data bits chosen: stored as -1, run as 8. A port that cannot be opened keeps the line settings.
TEST_F(ConnectionDialogTest, ApplyOpensThePortAndStoresTheLine) {
  Create();
  form.ChoosePort(1);
  form.SetText("ComboBox2", "19200");
  form.SetItemIndex("ComboBox4", 0);
  form.SetItemIndex("ComboBox5", 2);
  form.SetText("Edit1", "17");
  form.SetText("Edit4", "250");
  EXPECT_EQ(Apply(), ModalResult::Ok);
  EXPECT_EQ(rig.port.calls, (Texts{"open /dev/ttyUSB0", "configure"}));
  const LinkSettingsRecord& s = settings();
  EXPECT_EQ(std::tuple(s.PortName, s.PortIndex, s.Baudrate, s.Bits, s.Parity, s.StopBits, s.NetAddr, s.Delay, s.Modem),
            std::tuple("/dev/ttyUSB0", 1, 19200, -1, 0, 2, 17, 250, false));
  const LineParameters& line = rig.port.configured.at(0);
  EXPECT_EQ(std::tuple(line.baudrate, line.dataBits, line.parity, line.stopBits),
            std::tuple(19200, 8, Parity::Even, StopBits::Two));
  EXPECT_TRUE(form.messages.empty());

  rig.port.Close();
  rig.port.openFailure = OpenFailure::AccessDenied;
  form.ChoosePort(0);
  form.SetText("ComboBox2", "4800");
  EXPECT_EQ(Apply(), ModalResult::Ok);
  EXPECT_EQ(std::tuple(s.PortIndex, s.Baudrate, rig.port.configured.size()), std::tuple(0, 19200, 1u));
  EXPECT_TRUE(form.messages.empty());
}

// An address outside 1..255 is ignored; one that is no number keeps the dialog open, but the
// dial runs even then, and decides the result alone. A pause that is no number is the default.
TEST_F(ConnectionDialogTest, TheAddressIsStoredIgnoredOrRefused) {
  const std::tuple<const char*, int, ModalResult> cases[] = {
      {"1", 1, ModalResult::Ok}, {"255", 255, ModalResult::Ok}, {" 42 ", 42, ModalResult::Ok},
      {"0", 5, ModalResult::Ok}, {"256", 5, ModalResult::Ok}, {"abc", 5, ModalResult::None}};
  Create();
  form.ChoosePort(0);
  form.SetText("Edit4", "x");
  for (const auto& [text, netAddr, result] : cases) {
    settings().NetAddr = 5;
    settings().Delay = 7;
    form.messages.clear();
    form.SetText("Edit1", text);
    EXPECT_EQ(Apply(), result) << text;
    EXPECT_EQ(std::tuple(settings().NetAddr, settings().Delay), std::tuple(netAddr, 100)) << text;
    EXPECT_EQ(form.messages.size(), result == ModalResult::None ? 1u : 0u) << text;
  }
  EXPECT_EQ(form.messages, Texts{"Ошибка ввода адреса прибора!"});
  form.TickModem(true);
  for (const bool connects : {true, false}) {
    modem.connects = connects;
    EXPECT_EQ(Apply(), connects ? ModalResult::Ok : ModalResult::Cancel);
  }
  EXPECT_EQ(form.messages.size(), 3u);
  EXPECT_EQ(modem.shown, 2);
  EXPECT_TRUE(rig.port.IsOpen());  // it stays open after a failed dial
}

// A valid address is stored with its text, an invalid one changes nothing; a port TCP does not
// have would silently reach another. Neither the device address nor the modem is read.
TEST_F(ConnectionDialogTest, EthernetStoresWhatIsValid) {
  using Ip = std::array<std::uint8_t, 4>;
  const std::tuple<const char*, const char*, Ip, const char*, int, std::size_t> cases[] = {  // IP, port: stored, messages
      {"010.000.000.001", "1502", {8, 0, 0, 1}, "010.000.000.001", 1502, 0},
      {"192.168.0", "503", {9, 9, 9, 9}, "9.9.9.9", 503, 1},
      {"10.0.0.1", "70000", {10, 0, 0, 1}, "10.0.0.1", 999, 1},
      {"10.0.0.1", "0", {10, 0, 0, 1}, "10.0.0.1", 999, 1},
      {"10.0.0.1", "65535", {10, 0, 0, 1}, "10.0.0.1", 65535, 0},
      {"1.2.3.256", "", {9, 9, 9, 9}, "9.9.9.9", 999, 2}};
  Create();
  form.ChoosePort(1);  // the port's name is stored for either interface
  form.SetItemIndex("RadioGroup1", 1);
  form.SetText("Edit1", "abc");
  form.TickModem(true);
  for (const auto& [ip, port, bytes, ipAddr, tcpPort, messages] : cases) {
    LinkSettingsRecord& s = settings();
    std::tie(s.IpBytes, s.IpAddr, s.TcpPort, s.NetAddr) = std::tuple(Ip{9, 9, 9, 9}, "9.9.9.9", 999, 3);
    form.messages.clear();
    form.SetText("Edit2", ip);
    form.SetText("Edit3", port);
    EXPECT_EQ(Apply(), messages ? ModalResult::None : ModalResult::Ok) << ip << " " << port;
    EXPECT_EQ(std::tuple(s.Type, s.IpBytes, s.IpAddr, s.TcpPort, s.NetAddr, s.Modem),
              std::tuple(1, bytes, std::string(ipAddr), tcpPort, 3, false));
    EXPECT_EQ(form.messages.size(), messages) << ip << " " << port;
  }
  EXPECT_EQ(form.messages, (Texts{"Ошибка ввода IP-адреса!", "Ошибка ввода номера порта!"}));
  EXPECT_EQ(std::tuple(modem.shown, rig.port.calls.size(), settings().PortName), std::tuple(0, 0u, "/dev/ttyUSB0"));
}

}  // namespace
}  // namespace kamt
