#include <fstream>
#include <gtest/gtest.h>
#include <tuple>

#include "connection_fakes.h"
#include "hex.h"
#include "setup/command_sets.h"
#include "setup/connection_text.h"
#include "setup/settings_file.h"
#include "setup/tcp_events.h"
#include "temp_dir.h"
#include "test_rig.h"
#include "text/text_file.h"

namespace kamt {
namespace {

using test::Hex;
using Texts = std::vector<std::string>;

class ConnectionTest : public ::testing::Test {
 protected:
  ConnectionTest() {
    LinkSettingsRecord& s = rig.session.link.LinkSettings;
    std::tie(s.PortName, s.Baudrate, s.Bits, s.Parity, s.StopBits) = std::tuple("COM1", 9600, 3, 2, 0);
  }
  Link& link() { return rig.session.link; }
  void Connect() { ConnectClick(link(), rig.window, form2, modem); }
  void Disconnect() { DisconnectClick(link(), rig.window, form2.form); }
  // The controls switched by the log entries that end with suffix (" on", " off"), in order.
  Texts Switched(std::string_view suffix) const {
    Texts found;
    for (const std::string& e : w.log) {
      if (e.ends_with(suffix) && !e.starts_with("panel")) found.push_back(e.substr(0, e.size() - suffix.size()));
    }
    return found;
  }
  static Texts Names(std::span<const char* const> set) { return {set.begin(), set.end()}; }

  test::TestRig rig;
  test::FakeWindow& w = rig.window;
  test::FakeSettingsDialog form2;
  test::FakeModemDialog modem;
};

TEST_F(ConnectionTest, SerialConnectShowsTheLineAndEnablesTheSeven) {
  w.SetStatusText(1, "Данные считаны");
  Connect();
  EXPECT_EQ(form2.shown, 1);
  EXPECT_EQ(form2.form.ItemIndex("RadioGroup1"), 0);
  EXPECT_EQ(w.StatusText(1), "");
  EXPECT_EQ(w.StatusText(0), "COM1:9600:8:None:1");
  EXPECT_EQ(Switched(" on"), Names(kConnectSet));
  EXPECT_FALSE(w.Visible("Connect"));
  EXPECT_TRUE(w.Visible("Disconnect"));
  EXPECT_TRUE(w.Entries("Button2").empty());  // the archives wait for the current data
}

TEST_F(ConnectionTest, APortThatDidNotOpenSaysWhyAndConnectsNothing) {
  rig.port.Close();
  rig.port.openFailure = OpenFailure::AccessDenied;
  Connect();
  EXPECT_TRUE(w.StatusText(0).starts_with("Порт не открыт: COM1: нет доступа")) << w.StatusText(0);
  EXPECT_TRUE(Switched(" on").empty());
  EXPECT_TRUE(w.Entries("Connect").empty());
  EXPECT_TRUE(w.Entries("Disconnect").empty());
}

TEST_F(ConnectionTest, ADialNamesTheNumberAndAFailedOneDisablesSixButtons) {
  form2.form.TickModem(true);
  Connect();
  EXPECT_EQ(w.StatusText(0), "COM1:9600:8:None:1 Соед: 12345");
  w.log.clear();
  form2.confirms = false;
  Connect();
  EXPECT_EQ(w.StatusText(0), "COM1:9600:8:None:1 Нет соед:12345");
  EXPECT_EQ(Switched(" off"), Names(kFailedDialSet));
  EXPECT_EQ(w.log.back(), "Connect shown");
  EXPECT_FALSE(w.Visible("Disconnect"));
  EXPECT_TRUE(rig.port.IsOpen());

  rig.port.Close();
  Connect();
  EXPECT_EQ(w.StatusText(0), "Порт не открыт");
}

TEST_F(ConnectionTest, ACancelledDialogWithoutModemChangesNothing) {
  form2.confirms = false;
  for (int type : {0, 1}) {
    link().LinkSettings.Type = type;
    form2.form.TickModem(type == 1);
    w.log.clear();
    Connect();
    EXPECT_EQ(w.log, Texts{"panel1 "}) << type;
  }
}

TEST_F(ConnectionTest, TcpConnectUsesTheParsedAddressAndWaitsForTheConnection) {
  InstallSocketHandlers(link(), rig.window);
  link().LinkSettings.Type = 1;
  link().LinkSettings.IpAddr = "010.0.0.1";
  link().LinkSettings.IpBytes = {8, 0, 0, 1};
  link().LinkSettings.TcpPort = 1502;
  Connect();
  EXPECT_EQ(form2.form.ItemIndex("RadioGroup1"), 1);
  EXPECT_EQ(rig.socket.calls, Texts{"open 8.0.0.1:1502"});
  EXPECT_EQ(w.StatusText(0), "Подключение к 8.0.0.1, порт:1502...");
  EXPECT_TRUE(w.Entries("Connect").empty());
  EXPECT_TRUE(Switched(" on").empty());
}

TEST_F(ConnectionTest, APendingTcpAttemptIsAbandonedForTheNextConnection) {
  InstallSocketHandlers(link(), rig.window);
  link().LinkSettings.Type = 1;
  Connect();
  ASSERT_TRUE(rig.socket.Connecting());
  link().LinkSettings.Type = 0;
  Connect();
  EXPECT_FALSE(rig.socket.Connecting());
  EXPECT_EQ(w.StatusText(0), "COM1:9600:8:None:1");
  // A cancelled dialog leaves a pending attempt alone.
  link().LinkSettings.Type = 1;
  Connect();
  form2.confirms = false;
  Connect();
  EXPECT_TRUE(rig.socket.Connecting());
}

TEST_F(ConnectionTest, TcpDisconnect) {
  rig.UseTcp();
  Disconnect();
  EXPECT_FALSE(rig.socket.Connected());
  EXPECT_EQ(w.Entries("panel"), (Texts{"panel0 ", "panel1 Соединение разорвано"}));
  EXPECT_EQ(Switched(" off"), Names(kDisconnectSet));
  EXPECT_FALSE(w.Visible("Disconnect"));
  EXPECT_TRUE(w.Visible("Connect"));
  EXPECT_TRUE(rig.port.IsOpen());  // the serial port is the serial disconnect's business
}

TEST_F(ConnectionTest, SerialDisconnectWithoutModem) {
  Disconnect();
  EXPECT_FALSE(rig.port.IsOpen());
  EXPECT_EQ(w.Entries("panel"), (Texts{"panel1 Соединение разорвано", "panel0 "}));
  EXPECT_EQ(Switched(" off"), Names(kDisconnectSet));
  EXPECT_EQ(w.log.back(), "Connect shown");
  EXPECT_TRUE(rig.port.written.empty());
  // A port that went away still ends the connection.
  w.log.clear();
  Disconnect();
  EXPECT_EQ(w.Entries("panel"), Texts{"panel0 "});
  EXPECT_EQ(w.log.back(), "Connect shown");
}

TEST_F(ConnectionTest, ModemHangUpClosesThePortWhateverTheModemSays) {
  const auto kOk = Hex("0D 0A 4F 4B 0D 0A");
  const struct {
    std::vector<std::vector<std::uint8_t>> replies;  // to "+++" and to "ATH"; empty: silence
    Texts written;
    Texts panel1;
  } cases[] = {
      {{kOk, kOk}, {"+++", "ATH\r"}, {"panel1 Командный режим", "panel1 Соединение разорвано"}},
      {{{}}, {"+++"}, {}},
      {{Hex("4F 4B 0D 0A")}, {"+++"}, {}},  // fewer than the six bytes awaited
      {{kOk, Hex("0D 0A 45 52 52 4F 52 0D 0A")}, {"+++", "ATH\r"}, {"panel1 Командный режим"}},
  };
  form2.form.TickModem(true);
  for (const auto& c : cases) {
    rig.port.Open("/dev/ttyTEST");
    rig.port.calls.clear();
    rig.port.written.clear();
    w.log.clear();
    for (const auto& reply : c.replies) reply.empty() ? rig.port.ReplySilence() : rig.port.ReplyWith(reply);
    const std::uint64_t start = rig.clock.now;
    Disconnect();
    Texts written;
    for (const auto& bytes : rig.port.written) written.emplace_back(bytes.begin(), bytes.end());
    EXPECT_EQ(written, c.written);
    EXPECT_EQ(w.Entries("panel1"), c.panel1);
    EXPECT_GE(rig.clock.now - start, 2000u);  // the two guard times
    EXPECT_EQ(rig.port.calls.at(0), "purge");
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_EQ(w.StatusText(0), "");
    EXPECT_EQ(w.log.back(), "Connect shown");
  }
}

TEST(LineDescription, NamesWhatThePortRunsWith) {
  const struct {
    int bits, parity, stopBits;
    const char* text;
  } cases[] = {{0, 0, 1, "5:Even:1.5"}, {2, 4, 2, "7:Space:2"},
               // outside the lists: what the port falls back to
               {-1, 5, 3, "8:None:1"}, {4, -1, -1, "8:None:1"}};
  LinkSettingsRecord s;
  std::tie(s.PortName, s.Baudrate) = std::tuple("/dev/ttyUSB0", 19200);
  for (const auto& c : cases) {
    std::tie(s.Bits, s.Parity, s.StopBits) = std::tuple(c.bits, c.parity, c.stopBits);
    EXPECT_EQ(LineDescription(s), std::string("/dev/ttyUSB0:19200:") + c.text);
  }
}

class FormCloseTest : public ConnectionTest {
 protected:
  test::TempDir dir;
  bool saveFailedBefore = false;
};

TEST_F(FormCloseTest, ClosesThePortAndTheSocketAndSavesTheSettings) {
  rig.socket.Open("192.168.0.1", 502);
  rig.socket.AcceptConnection();
  link().LinkSettings.NetAddr = 7;
  EXPECT_TRUE(FormClose(link(), rig.window, dir.path / "Vedan_modbus.ini", saveFailedBefore));
  EXPECT_FALSE(rig.port.IsOpen());
  EXPECT_FALSE(rig.socket.Connected());
  EXPECT_NE(ReadFileBytes(dir.path / "Vedan_modbus.ini").value_or("").find("NetAddr=7\r\n"), std::string::npos);
  EXPECT_TRUE(w.messages.empty());
}

// Refused at start, or grown too large since: left as it is, and the window closes saying so.
TEST_F(FormCloseTest, ASettingsFileTooLargeToReadIsNeverWrittenOver) {
  const auto path = dir.path / "Vedan_modbus.ini";
  const std::string said = "Настройки не сохранены: файл " + path.string() + " больше 64 КиБ, он оставлен как был";
  EXPECT_TRUE(FormClose(link(), rig.window, path, saveFailedBefore, true));
  EXPECT_FALSE(std::filesystem::exists(path));
  const std::string big(kSettingsFileLimit + 1, ';');
  std::ofstream(path, std::ios::binary) << big;
  EXPECT_TRUE(FormClose(link(), rig.window, path, saveFailedBefore));
  EXPECT_EQ(ReadFileBytes(path), big);
  EXPECT_EQ(w.messages, (Texts{said, said}));
}

TEST_F(FormCloseTest, AFailedSaveKeepsTheWindowOnceAndNeverAgain) {
  const auto path = dir.path / "missing" / "Vedan_modbus.ini";
  EXPECT_FALSE(FormClose(link(), rig.window, path, saveFailedBefore));
  EXPECT_EQ(w.messages, Texts{"Unable to write to " + path.string()});
  // The port is closed now, and the window says so before the message.
  EXPECT_FALSE(rig.port.IsOpen());
  EXPECT_EQ(w.StatusText(0), "");
  EXPECT_EQ(w.log.back(), "message Unable to write to " + path.string());
  EXPECT_FALSE(w.Visible("Disconnect"));
  EXPECT_TRUE(FormClose(link(), rig.window, path, saveFailedBefore));
  EXPECT_EQ(w.messages.size(), 1u);
}

}  // namespace
}  // namespace kamt
