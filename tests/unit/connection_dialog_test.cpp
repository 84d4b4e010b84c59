#include <gtest/gtest.h>

#include "connection_fakes.h"
#include "setup/settings_file.h"
#include "temp_dir.h"
#include "test_rig.h"

namespace kamt {
namespace {

using test::DialogForm;

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

  test::TestRig rig;
  DialogForm form;
  test::ListedPorts ports;
  test::FakeModemDialog modem;
  ConnectionDialog dialog{form, rig.session.link, ports, modem};
};

TEST_F(ConnectionDialogTest, FirstRunShowsTheDefaults) {
  dialog.FormCreate();
  EXPECT_FALSE(rig.port.IsOpen());  // no port is open before the first Apply
  EXPECT_EQ(form.portItems, ports.names);
  EXPECT_EQ(form.ItemIndex("RadioGroup1"), 0);
  EXPECT_EQ(form.ItemIndex("ComboBox1"), 0);
  EXPECT_EQ(form.Text("ComboBox2"), "9600");
  EXPECT_EQ(form.ItemIndex("ComboBox3"), -1);  // the default 4 is no position of four items
  EXPECT_EQ(form.ItemIndex("ComboBox4"), 2);   // "Нет"
  EXPECT_EQ(form.ItemIndex("ComboBox5"), 0);   // "1"
  EXPECT_EQ(form.Text("Edit1"), "1");
  EXPECT_EQ(form.Text("Edit2"), "192.168.0.1");
  EXPECT_EQ(form.Text("Edit3"), "502");
  EXPECT_EQ(form.Text("Edit4"), "100");
  EXPECT_EQ(form.ItemIndex("ModemConnect_CheckBox"), 0);
  EXPECT_TRUE(form.Visible("GroupBox1"));
  EXPECT_FALSE(form.Visible("GroupBox3"));
  EXPECT_TRUE(form.Enabled("Edit4"));
}

TEST_F(ConnectionDialogTest, StoredPortBeyondTheListSelectsNothing) {
  settings().PortIndex = 2;
  dialog.FormCreate();
  EXPECT_EQ(form.ItemIndex("ComboBox1"), -1);
}

TEST_F(ConnectionDialogTest, EveryInterfaceCodeButZeroIsEthernet) {
  for (int type : {1, 7, -1}) {
    settings().Type = type;
    dialog.FormCreate();
    EXPECT_EQ(form.ItemIndex("RadioGroup1"), 1) << type;
    EXPECT_TRUE(form.Visible("GroupBox3"));
    EXPECT_FALSE(form.Visible("GroupBox1"));
    EXPECT_FALSE(form.Enabled("Edit4"));
  }
  form.SetItemIndex("RadioGroup1", 0);
  dialog.RadioGroup1Click();
  EXPECT_TRUE(form.Visible("GroupBox1"));
  EXPECT_FALSE(form.Visible("GroupBox3"));
  EXPECT_TRUE(form.Enabled("Edit4"));
}

TEST_F(ConnectionDialogTest, ApplyOpensThePortAndStoresTheLine) {
  Create();
  form.ChoosePort(1);
  form.SetText("ComboBox2", "19200");
  form.SetItemIndex("ComboBox4", 0);
  form.SetItemIndex("ComboBox5", 2);
  form.SetText("Edit1", "17");
  form.SetText("Edit4", "250");
  EXPECT_EQ(Apply(), ModalResult::Ok);
  EXPECT_EQ(rig.port.calls, (std::vector<std::string>{"open /dev/ttyUSB0", "configure"}));
  const LinkSettingsRecord& s = settings();
  EXPECT_EQ(s.PortName, "/dev/ttyUSB0");
  EXPECT_EQ(s.PortIndex, 1);
  EXPECT_EQ(s.Baudrate, 19200);
  EXPECT_EQ(s.Bits, -1);  // no data bits chosen: stored as -1, run as 8
  EXPECT_EQ(s.Parity, 0);
  EXPECT_EQ(s.StopBits, 2);
  EXPECT_EQ(s.NetAddr, 17);
  EXPECT_EQ(s.Delay, 250);
  EXPECT_FALSE(s.Modem);
  ASSERT_EQ(rig.port.configured.size(), 1u);
  EXPECT_EQ(rig.port.configured[0].baudrate, 19200);
  EXPECT_EQ(rig.port.configured[0].dataBits, 8);
  EXPECT_EQ(rig.port.configured[0].parity, Parity::Even);
  EXPECT_EQ(rig.port.configured[0].stopBits, StopBits::Two);
  EXPECT_TRUE(form.messages.empty());
}

TEST_F(ConnectionDialogTest, TheSamePortStaysOpenAnotherOneReplacesIt) {
  Create();
  form.ChoosePort(0);
  Apply();
  Apply();
  EXPECT_EQ(rig.port.calls, (std::vector<std::string>{"open /dev/ttyS0", "configure", "configure"}));
  form.ChoosePort(1);
  Apply();
  EXPECT_EQ(rig.port.calls.back(), "configure");
  EXPECT_EQ(rig.port.calls.at(3), "open /dev/ttyUSB0");
}

TEST_F(ConnectionDialogTest, ATypedDevicePathIsOpenedAsTyped) {
  Create();
  form.TypePort("/tmp/kamt/ttyKAMT");
  EXPECT_EQ(Apply(), ModalResult::Ok);
  EXPECT_EQ(settings().PortIndex, -1);
  Apply();
  // Another typed path has the same position (none) but is another device.
  form.TypePort("/dev/pts/7");
  Apply();
  EXPECT_EQ(rig.port.calls, (std::vector<std::string>{"open /tmp/kamt/ttyKAMT", "configure", "configure",
                                                      "open /dev/pts/7", "configure"}));
}

TEST_F(ConnectionDialogTest, APortThatCannotBeOpenedKeepsTheLineSettings) {
  Create();
  rig.port.openFailure = OpenFailure::AccessDenied;
  form.ChoosePort(1);
  form.SetText("ComboBox2", "4800");
  EXPECT_EQ(Apply(), ModalResult::Ok);
  EXPECT_FALSE(rig.port.IsOpen());
  EXPECT_EQ(settings().PortIndex, 1);
  EXPECT_EQ(settings().Baudrate, 9600);
  EXPECT_EQ(settings().Bits, 4);
  EXPECT_TRUE(rig.port.configured.empty());
  EXPECT_TRUE(form.messages.empty());
}

TEST_F(ConnectionDialogTest, ABitRateThatIsNoIntegerKeepsTheDialogOpen) {
  Create();
  form.ChoosePort(0);
  form.SetText("ComboBox2", "96oo");
  form.SetText("Edit4", "5");
  form.TickModem(true);
  EXPECT_EQ(Apply(), ModalResult::None);
  EXPECT_EQ(form.messages, (std::vector<std::string>{"'96oo' is not a valid integer value"}));
  EXPECT_TRUE(rig.port.IsOpen());
  EXPECT_TRUE(settings().Modem);
  EXPECT_EQ(settings().PortIndex, 0);
  EXPECT_EQ(settings().Baudrate, 9600);
  EXPECT_EQ(settings().Delay, 100);  // the steps after it did not run
  EXPECT_EQ(modem.shown, 0);
}

struct AddressCase {
  const char* text;
  int netAddr;
  ModalResult result;
  const char* message;
};

class ConnectionDialogAddress : public ConnectionDialogTest, public ::testing::WithParamInterface<AddressCase> {};

TEST_P(ConnectionDialogAddress, IsStoredIgnoredOrRefused) {
  Create();
  settings().NetAddr = 5;
  form.ChoosePort(0);
  form.SetText("Edit1", GetParam().text);
  form.SetText("Edit4", "x");
  EXPECT_EQ(Apply(), GetParam().result);
  EXPECT_EQ(settings().NetAddr, GetParam().netAddr);
  EXPECT_EQ(settings().Delay, 100);  // not a number: the default
  const std::string message = GetParam().message;
  EXPECT_EQ(form.messages, message.empty() ? std::vector<std::string>{} : std::vector<std::string>{message});
}

INSTANTIATE_TEST_SUITE_P(Table, ConnectionDialogAddress,
                         ::testing::Values(AddressCase{"1", 1, ModalResult::Ok, ""},
                                           AddressCase{"255", 255, ModalResult::Ok, ""},
                                           AddressCase{" 42 ", 42, ModalResult::Ok, ""},
                                           AddressCase{"0", 5, ModalResult::Ok, ""},
                                           AddressCase{"300", 5, ModalResult::Ok, ""},
                                           AddressCase{"-1", 5, ModalResult::Ok, ""},
                                           AddressCase{"abc", 5, ModalResult::None, "Ошибка ввода адреса прибора!"},
                                           AddressCase{"", 5, ModalResult::None, "Ошибка ввода адреса прибора!"}));

TEST_F(ConnectionDialogTest, TheModemDialogDecidesTheResult) {
  for (const bool connects : {true, false}) {
    Create();
    form.ChoosePort(0);
    form.TickModem(true);
    modem.connects = connects;
    EXPECT_EQ(Apply(), connects ? ModalResult::Ok : ModalResult::Cancel);
    EXPECT_TRUE(settings().Modem);
  }
  EXPECT_EQ(modem.shown, 2);
  EXPECT_TRUE(rig.port.IsOpen());  // it stays open after a failed dial
}

TEST_F(ConnectionDialogTest, TheModemDialogRunsAlsoAfterAnAddressError) {
  Create();
  form.ChoosePort(0);
  form.TickModem(true);
  form.SetText("Edit1", "abc");
  modem.connects = true;
  EXPECT_EQ(Apply(), ModalResult::Ok);
  EXPECT_EQ(form.messages, (std::vector<std::string>{"Ошибка ввода адреса прибора!"}));
  EXPECT_EQ(modem.shown, 1);
}

struct EthernetCase {
  const char* ip;
  const char* port;
  ModalResult result;
  std::array<std::uint8_t, 4> bytes;  // stored
  const char* ipAddr;                 // stored
  int tcpPort;                        // stored
  std::vector<std::string> messages;
};

class ConnectionDialogEthernet : public ConnectionDialogTest, public ::testing::WithParamInterface<EthernetCase> {};

TEST_P(ConnectionDialogEthernet, StoresWhatIsValid) {
  Create();
  settings().IpBytes = {9, 9, 9, 9};
  settings().IpAddr = "9.9.9.9";
  settings().TcpPort = 999;
  settings().NetAddr = 3;
  form.SetItemIndex("RadioGroup1", 1);
  form.SetText("Edit2", GetParam().ip);
  form.SetText("Edit3", GetParam().port);
  form.SetText("Edit1", "abc");  // not read for Ethernet
  form.TickModem(true);
  EXPECT_EQ(Apply(), GetParam().result);
  EXPECT_EQ(settings().Type, 1);
  EXPECT_EQ(settings().IpBytes, GetParam().bytes);
  EXPECT_EQ(settings().IpAddr, GetParam().ipAddr);
  EXPECT_EQ(settings().TcpPort, GetParam().tcpPort);
  EXPECT_EQ(form.messages, GetParam().messages);
  EXPECT_EQ(settings().NetAddr, 3);
  EXPECT_FALSE(settings().Modem);
  EXPECT_EQ(modem.shown, 0);
  EXPECT_TRUE(rig.port.calls.empty());
}

const std::array<std::uint8_t, 4> kUnchanged = {9, 9, 9, 9};

INSTANTIATE_TEST_SUITE_P(
    Table, ConnectionDialogEthernet,
    ::testing::Values(
        EthernetCase{"192.168.0.10", "502", ModalResult::Ok, {192, 168, 0, 10}, "192.168.0.10", 502, {}},
        EthernetCase{"010.000.000.001", "1502", ModalResult::Ok, {8, 0, 0, 1}, "010.000.000.001", 1502, {}},
        EthernetCase{"192.168.0", "503", ModalResult::None, kUnchanged, "9.9.9.9", 503, {"Ошибка ввода IP-адреса!"}},
        EthernetCase{"10.0.0.1", "5o2", ModalResult::None, {10, 0, 0, 1}, "10.0.0.1", 999,
                     {"Ошибка ввода номера порта!"}},
        EthernetCase{"1.2.3.256", "", ModalResult::None, kUnchanged, "9.9.9.9", 999,
                     {"Ошибка ввода IP-адреса!", "Ошибка ввода номера порта!"}},
        // A port number TCP does not have would silently reach another port.
        EthernetCase{"10.0.0.1", "70000", ModalResult::None, {10, 0, 0, 1}, "10.0.0.1", 999,
                     {"Ошибка ввода номера порта!"}},
        EthernetCase{"10.0.0.1", "0", ModalResult::None, {10, 0, 0, 1}, "10.0.0.1", 999,
                     {"Ошибка ввода номера порта!"}},
        EthernetCase{"10.0.0.1", "65535", ModalResult::Ok, {10, 0, 0, 1}, "10.0.0.1", 65535, {}}));

TEST_F(ConnectionDialogTest, ThePortNameIsStoredForEitherInterface) {
  Create();
  form.ChoosePort(1);
  form.SetItemIndex("RadioGroup1", 1);
  Apply();
  EXPECT_EQ(settings().PortName, "/dev/ttyUSB0");
  EXPECT_FALSE(rig.port.IsOpen());
}

}  // namespace
}  // namespace kamt
