#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "cli/console_window.h"
#include "cli_harness.h"
#include "hex.h"
#include "holding_answers.h"
#include "meter/registers.h"
#include "text/text_file.h"

namespace kamt {
namespace {

using test::Hex;

class KamtCliTest : public test::CliHarness {
 protected:
  static std::vector<std::uint8_t> Answer(std::uint8_t address = 1) {
    std::vector<std::uint8_t> frame = {address, 0x04, 0x60};
    frame.resize(3 + 96);
    RegisterWriter regs{std::span(frame).subspan(3)};
    regs.U16(0, 1);
    regs.Float(2, 2.5f);
    regs.U16(6, 2);
    return test::WithCrc(frame);
  }

  void WriteSettings(const std::string& text) { std::ofstream(devices.settingsPath, std::ios::binary) << text; }
  void AcceptConnections() {
    socket.onOpen = [&] { socket.AcceptConnection(); };
  }
};

// 9600 8N1 at address 1 unless told; a refused line setting is not passed off as applied.
TEST_F(KamtCliTest, CurrentPrintsTheTwelveTextsAndLineOptionsReachThePortAndTheFrame) {
  port.ReplyWith(Answer());
  EXPECT_EQ(Run({"--serial", "/dev/ttyX", "current"}), kExitOk);
  const auto lines = OutLines();
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[0], "Расход: 2,50 м3/час");
  EXPECT_TRUE(lines[11].starts_with("Текущее время: "));
  EXPECT_EQ(err.str(), "");
  EXPECT_FALSE(port.IsOpen());
  port.ReplyWith(Answer(17));
  port.refuse = {"parity"};
  EXPECT_EQ(Run({"--serial", "/dev/ttyX", "--baud", "19200", "--data-bits", "5", "--parity", "space", "--stop-bits",
                 "1.5", "--address", "17", "current"}),
            kExitOk);
  EXPECT_NE(err.str().find("parity"), std::string::npos);
  const auto settings = [](const auto& c) { return std::tuple(c.baudrate, c.dataBits, c.parity, c.stopBits); };
  EXPECT_EQ(settings(port.configured.at(0)), std::tuple(9600, 8, Parity::None, StopBits::One));
  EXPECT_EQ(settings(port.configured.at(1)), std::tuple(19200, 5, Parity::Space, StopBits::OneAndHalf));
  EXPECT_EQ(std::tuple(port.written.at(0).at(0), port.written.at(1).at(0)), (std::tuple<std::uint8_t, std::uint8_t>(1, 17)));
  port.openFailure = OpenFailure::AccessDenied;
  EXPECT_EQ(Run({"--serial", "/dev/ttyUSB0", "current"}), kExitFailed);
  EXPECT_TRUE(err.str().starts_with("Порт не открыт: /dev/ttyUSB0: нет доступа")) << err.str();
  EXPECT_NE(err.str().find("dialout"), std::string::npos);
  EXPECT_EQ(Run({"--help"}), kExitOk);
  for (const char* text : {"--dial-timeout", "config write:", "Максимальный расход, м3/ч", "comm write:",
                           "Через 30 минут", "DD.MM.YYYY HH:MM:SS", "--now", "#17"}) {
    EXPECT_NE(out.str().find(text), std::string::npos) << text;
  }
}

// Each bad option comes with a device, so that it alone is what is refused.
TEST_F(KamtCliTest, UsageErrorsExitWithTwoAndAHint) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--serial", "/dev/ttyX"},
      {"--serial"},
      {"--serial", "/dev/ttyX", "--bogus", "current"},
      {"--serial", "/dev/ttyX", "fly"},
      {"--serial", "/dev/ttyX", "current", "extra"},
      {"--serial", "/dev/ttyX", "--parity", "evn", "current"},
      {"--serial", "/dev/ttyX", "--data-bits", "9", "current"},
      {"--serial", "/dev/ttyX", "--address", "0", "current"},
      {"--serial", "/dev/ttyX", "--address", "256", "current"},
      {"--serial", "/dev/ttyX", "--baud", "fast", "current"},
      {"--tcp", "host:0", "current"},
      {"--tcp", ":502", "current"},
      {"--tcp", "meter.local", "current"}};  // dotted numbers only: no name lookup
  for (const auto& args : cases) {
    EXPECT_EQ(Run(args), kExitUsage) << ::testing::PrintToString(args);
    EXPECT_NE(err.str().find("kamt --help"), std::string::npos) << err.str();
    EXPECT_TRUE(port.calls.empty());
  }
}

// A connection that is never made, or refused, says why.
TEST_F(KamtCliTest, TcpReadConnectsToTheParsedAddress) {
  AcceptConnections();
  auto pdu = Hex("04 60");
  pdu.resize(2 + 96);
  pdu[2 + 2 * 29 + 1] = 42;
  socket.responders.push_back(test::TcpAnswer(pdu));
  EXPECT_EQ(Run({"--tcp", "127.000.000.001:1502", "current"}), kExitOk) << err.str();
  EXPECT_EQ(socket.calls.at(0), "open 127.0.0.1:1502");
  EXPECT_EQ(OutLines().at(7), "Зав. номер: 42");
  socket.onOpen = nullptr;
  EXPECT_EQ(Run({"--tcp", "10.1.2.3", "current"}), kExitFailed);
  EXPECT_EQ(err.str(), "Нет соединения с 10.1.2.3, порт:502: время ожидания истекло\n");
  socket.onOpen = [&] { socket.FailConnection("соединение отклонено"); };
  EXPECT_EQ(Run({"--tcp", "127.0.0.1", "current"}), kExitFailed);
  EXPECT_EQ(err.str(), "Нет соединения с 127.0.0.1, порт:502: соединение отклонено\n");
}

// Without a connection option the settings file decides; a file choosing the serial line still
// needs the device. The options apply to this run only, and a setting not given is the file's.
TEST_F(KamtCliTest, WithoutAConnectionOptionTheSettingsFileDecides) {
  WriteSettings("[Communication]\r\nType=1\r\nNetAddr=9\r\n[Ethernet]\r\nIP_Addr=192.168.000.010\r\nPort=1502\r\n");
  AcceptConnections();
  Run({"current"});
  EXPECT_EQ(socket.calls.at(0), "open 192.168.0.8:1502");
  const std::string settings = "[Serial]\r\nBaudrate=4800\r\nParity=0\r\n[Communication]\r\nNetAddr=3\r\n";
  WriteSettings(settings);
  EXPECT_EQ(Run({"current"}), kExitUsage);
  EXPECT_NE(err.str().find("--serial DEVICE"), std::string::npos);
  port.ReplySilence();
  Run({"--serial", "/dev/ttyX", "--baud", "1200", "current"});
  Run({"--serial", "/dev/ttyX", "current"});
  EXPECT_EQ(std::tuple(port.configured.at(1).baudrate, port.configured[1].parity, port.written.at(1).at(0)),
            std::tuple(4800, Parity::Even, std::uint8_t{3}));
  EXPECT_EQ(ReadFileBytes(devices.settingsPath), settings);
}

// Ctrl+C during an archive read: the request is kept until the window next processes events,
// runs the handler there once, and is refused when nobody takes it.
TEST(ConsoleWindow, InterruptTakenOnlyWhileAHandlerIsSetAndRunOnce) {
  std::ostringstream err;
  ConsoleWindow window(err);
  EXPECT_FALSE(RequestConsoleInterrupt()) << "nothing takes it: the program should end";
  int runs = 0;
  window.SetInterruptHandler([&] { ++runs; });
  window.ProcessEvents();
  EXPECT_TRUE(RequestConsoleInterrupt() && RequestConsoleInterrupt());
  window.ProcessEvents();
  window.ProcessEvents();
  EXPECT_EQ(runs, 1);
  window.SetInterruptHandler(nullptr);
  EXPECT_FALSE(RequestConsoleInterrupt());
}

// The counter line is begun only by a count, and ended once, before a message or at the end.
TEST(ConsoleWindow, CounterLineEndsBeforeAMessageAndAtTheEnd) {
  std::ostringstream err;
  ConsoleWindow window(err);
  window.SetProgressStream(&err);
  for (const auto& [done, total] : {std::pair{0, 0}, {0, 3}, {1, 3}}) window.SetProgress(done, total);
  window.ShowMessage("Ошибка CRC!");
  for (const auto& [done, total] : {std::pair{2, 3}, {0, 0}, {0, 0}}) window.SetProgress(done, total);
  EXPECT_EQ(err.str(), "\r0/3\r1/3\nОшибка CRC!\n\r2/3\n");
}

}  // namespace
}  // namespace kamt
