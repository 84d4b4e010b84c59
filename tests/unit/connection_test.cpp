// "Установить соединение", "Разорвать соединение", the socket's events and the window's close.
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
    InstallSocketHandlers(link(), w);
  }
  Link& link() { return rig.session.link; }
  void Connect() { ConnectClick(link(), w, form2, modem); }
  void Disconnect() { DisconnectClick(link(), w, form2.form); }
  // The controls switched on or off (suffix " on", " off"), in order.
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

// The archives wait for the current data: their buttons are not among the seven.
TEST_F(ConnectionTest, SerialConnectShowsTheLineAndEnablesTheSeven) {
  w.SetStatusText(1, "Данные считаны");
  Connect();
  EXPECT_EQ(std::tuple(form2.shown, w.StatusText(0), w.StatusText(1)), std::tuple(1, "COM1:9600:8:None:1", ""));
  EXPECT_EQ(Switched(" on"), Names(kConnectSet));
  EXPECT_EQ(std::tuple(Switched(" hidden"), Switched(" shown")), std::tuple(Texts{"Connect"}, Texts{"Disconnect"}));

  w.log.clear();
  rig.port.Close();
  rig.port.openFailure = OpenFailure::AccessDenied;
  Connect();
  EXPECT_TRUE(w.StatusText(0).starts_with("Порт не открыт: COM1: нет доступа")) << w.StatusText(0);
  EXPECT_TRUE(Switched(" on").empty() && Switched(" shown").empty() && Switched(" hidden").empty());
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
  EXPECT_TRUE(rig.port.IsOpen());
  // Without the modem a cancelled dialog changes nothing.
  form2.form.TickModem(false);
  w.log.clear();
  Connect();
  EXPECT_EQ(w.log, Texts{"panel1 "});
}

// The connection is made when the socket says so, and a pending attempt gives way to the next.
TEST_F(ConnectionTest, TcpConnectUsesTheParsedAddressAndWaitsForTheConnection) {
  link().LinkSettings.Type = 1;
  link().LinkSettings.IpAddr = "010.0.0.1";
  link().LinkSettings.IpBytes = {8, 0, 0, 1};
  link().LinkSettings.TcpPort = 1502;
  Connect();
  EXPECT_EQ(rig.socket.calls, Texts{"open 8.0.0.1:1502"});
  EXPECT_EQ(w.log, (Texts{"panel1 ", "panel0 Подключение к 8.0.0.1, порт:1502..."}));
  link().TransactionId = 77;
  rig.socket.AcceptConnection();
  EXPECT_EQ(w.StatusText(0), "Подключено к 8.0.0.1, порт:1502");
  EXPECT_EQ(Switched(" on"), Names(kTcpConnectSet));
  EXPECT_EQ(link().TransactionId, 0);
  rig.socket.Arrive({1, 2, 3});
  ClientSocket1Read(link(), w);
  EXPECT_EQ(w.StatusText(2), "Получено байт: 3");
  EXPECT_TRUE(link().TcpDataReady);

  rig.socket.Close();
  Connect();
  ASSERT_TRUE(rig.socket.Connecting());
  link().LinkSettings.Type = 0;
  Connect();
  EXPECT_FALSE(rig.socket.Connecting());
  EXPECT_EQ(w.StatusText(0), "COM1:9600:8:None:1");
}

TEST_F(ConnectionTest, ALostConnectionSaysWhyAndALeftoverSocketDisturbsNoSerialOne) {
  rig.UseTcp();
  w.log.clear();
  rig.socket.FailConnection("соединение закрыто прибором");
  EXPECT_EQ(w.StatusText(0), "Нет соединения с 192.168.0.1, порт:502: соединение закрыто прибором");
  EXPECT_EQ(Switched(" off"), Names(kDisconnectSet));
  EXPECT_EQ(w.log.back(), "Connect shown");
  link().LinkSettings.Type = 0;
  w.SetStatusText(0, "COM1:9600:8:None:1");
  rig.socket.FailConnection("соединение закрыто прибором");
  EXPECT_EQ(w.StatusText(0), "COM1:9600:8:None:1");
}

// The serial port is the serial disconnect's business; a port that went away still ends it.
TEST_F(ConnectionTest, DisconnectOverTcpAndOverTheSerialLine) {
  rig.UseTcp();
  w.log.clear();
  Disconnect();
  EXPECT_FALSE(rig.socket.Connected());
  EXPECT_TRUE(rig.port.IsOpen());
  EXPECT_EQ(w.Entries("panel"), (Texts{"panel0 ", "panel1 Соединение разорвано"}));
  EXPECT_EQ(Switched(" off"), Names(kDisconnectSet));
  EXPECT_EQ(w.log.back(), "Connect shown");
  link().LinkSettings.Type = 0;
  for (const Texts& panels : {Texts{"panel1 Соединение разорвано", "panel0 "}, Texts{"panel0 "}}) {
    w.log.clear();
    Disconnect();
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_EQ(w.Entries("panel"), panels);
    EXPECT_EQ(w.log.back(), "Connect shown");
  }
  EXPECT_TRUE(rig.port.written.empty());
}

// A second of guard time on each side of "+++", then "ATH"; the port is closed whatever the
// modem says.
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
    EXPECT_GE(rig.clock.now - start, 2000u);
    EXPECT_EQ(rig.port.calls.at(0), "purge");
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_EQ(w.log.back(), "Connect shown");
  }
}

class FormCloseTest : public ConnectionTest {
 protected:
  test::TempDir dir;
  bool saveFailedBefore = false;
};

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

}  // namespace
}  // namespace kamt
