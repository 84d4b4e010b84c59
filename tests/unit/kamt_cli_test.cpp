// kamt in process against the fakes: its options, the settings file, each command's output and
// errors, the modem's dial and hang-up, Ctrl+C and the progress line.
#include <gtest/gtest.h>

#include <fstream>

#include "cli/console_window.h"
#include "cli_harness.h"
#include "hex.h"
#include "holding_answers.h"
#include "link/serial_line.h"
#include "meter/combo_items.h"
#include "meter/registers.h"
#include "text/text_file.h"

namespace kamt {
namespace {

using test::Hex;
using test::ToHex;
using Frames = std::vector<std::vector<std::uint8_t>>;

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

class KamtCliTest : public test::CliHarness {
 protected:
  // The current data of the meter at `address`: flow 2.5, two decimals.
  static std::vector<std::uint8_t> Answer(std::uint8_t address = 1) {
    std::vector<std::uint8_t> frame = {address, 0x04, 0x60};
    frame.resize(3 + 96);
    RegisterWriter regs{std::span(frame).subspan(3)};
    regs.U16(0, 1);
    regs.Float(2, 2.5f);
    regs.U16(6, 2);
    return test::WithCrc(frame);
  }
  int Serial(std::vector<std::string> args) {
    args.insert(args.begin(), {"--serial", "/dev/ttyX"});
    return Run(args);
  }
  std::string LastPdu() const { return ToHex(test::PduOf(port.written.back())); }
  void Replies(const Frames& replies) {  // an empty one is silence
    for (const auto& reply : replies) reply.empty() ? port.ReplySilence() : port.ReplyWith(reply);
  }
  bool SaysLine(const std::string& line) const { return ("\n" + err.str()).find("\n" + line + "\n") != std::string::npos; }
  void WriteSettings(const std::string& text) { std::ofstream(devices.settingsPath, std::ios::binary) << text; }
};

// 9600 8N1 at address 1 unless told; a refused line setting is not passed off as applied; a
// port that cannot be opened says why.
TEST_F(KamtCliTest, CurrentPrintsTheTwelveTextsAndLineOptionsReachThePortAndTheFrame) {
  port.ReplyWith(Answer());
  EXPECT_EQ(Serial({"current"}), kExitOk);
  const auto lines = OutLines();
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[0], "Расход: 2,50 м3/час");
  EXPECT_EQ(err.str(), "");
  EXPECT_FALSE(port.IsOpen());
  port.ReplyWith(Answer(17));
  port.refuse = {"parity"};
  EXPECT_EQ(Serial({"--baud", "19200", "--data-bits", "5", "--parity", "space", "--stop-bits", "1.5", "--address", "17",
                    "current"}),
            kExitOk);
  EXPECT_NE(err.str().find("parity"), std::string::npos);
  const auto settings = [](const auto& c) { return std::tuple(c.baudrate, c.dataBits, c.parity, c.stopBits); };
  EXPECT_EQ(settings(port.configured.at(0)), std::tuple(9600, 8, Parity::None, StopBits::One));
  EXPECT_EQ(settings(port.configured.at(1)), std::tuple(19200, 5, Parity::Space, StopBits::OneAndHalf));
  port.openFailure = OpenFailure::AccessDenied;
  EXPECT_EQ(Serial({"current"}), kExitFailed);
  EXPECT_TRUE(err.str().starts_with("Порт не открыт: /dev/ttyX: нет доступа")) << err.str();
  EXPECT_NE(err.str().find("dialout"), std::string::npos);
}

// Without a connection option the settings file decides; a file choosing the serial line still
// needs the device. The options apply to this run only; a setting not given is the file's.
TEST_F(KamtCliTest, WithoutAConnectionOptionTheSettingsFileDecides) {
  WriteSettings("[Communication]\r\nType=1\r\n[Ethernet]\r\nIP_Addr=192.168.000.010\r\nPort=1502\r\n");
  socket.onOpen = [&] { socket.AcceptConnection(); };
  Run({"current"});
  EXPECT_EQ(socket.calls.at(0), "open 192.168.0.8:1502");
  const std::string settings = "[Serial]\r\nBaudrate=4800\r\nParity=0\r\n[Communication]\r\nNetAddr=3\r\n";
  WriteSettings(settings);
  EXPECT_EQ(Run({"current"}), kExitUsage);
  EXPECT_NE(err.str().find("--serial DEVICE"), std::string::npos);
  port.ReplySilence();
  Serial({"--baud", "1200", "current"});
  Serial({"current"});
  EXPECT_EQ(std::tuple(port.configured.at(1).baudrate, port.configured[1].parity, port.written.at(1).at(0)),
            std::tuple(4800, Parity::Even, std::uint8_t{3}));
  EXPECT_EQ(ReadFileBytes(devices.settingsPath), settings);
}

// Each with a hint at kamt --help, refused before anything is opened.
TEST_F(KamtCliTest, UsageErrorsExitWithTwo) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {  // a part of the message
      {{}, "kamt --help"},
      {{"--serial", "/dev/ttyX"}, "kamt --help"},
      {{"--serial", "/dev/ttyX", "--bogus", "current"}, "kamt --help"},
      {{"--serial", "/dev/ttyX", "current", "extra"}, "kamt --help"},
      {{"--serial", "/dev/ttyX", "--parity", "evn", "current"}, "kamt --help"},
      {{"--serial", "/dev/ttyX", "--address", "256", "current"}, "kamt --help"},
      {{"--tcp", "host:0", "current"}, "kamt --help"},
      {{"--tcp", "meter.local", "current"}, "kamt --help"},  // dotted numbers only: no name lookup
      {{"--serial", "/dev/ttyX", "config", "change"}, "config takes read, save or write"},
      {{"--serial", "/dev/ttyX", "config", "write", "factor"}, "is not NAME=VALUE"},
      {{"--serial", "/dev/ttyX", "config", "write", "divider=1"}, "divider takes one of: 2..32"},
      {{"--serial", "/dev/ttyX", "comm", "write", "parity=Even"}, "parity takes one of: Нет | Нечет | Чет | Маркер | Пробел"},
      {{"--serial", "/dev/ttyX", "comm", "write", "factor=1"}, "unknown field factor; the fields are: address, baud,"},
      {{"--serial", "/dev/ttyX", "comm", "write", "port=99999"}, "Ошибка ввода номера порта: port takes a whole number from 1 to 65535"},
      {{"--serial", "/dev/ttyX", "comm", "write", "address=0"}, "Ошибка ввода сетевого номера"},
      {{"--serial", "/dev/ttyX", "config", "write", "serial=70000"}, "Ошибка ввода заводского номера"},
      {{"--serial", "/dev/ttyX", "clock", "write", "01.01.2021 24:00:00"}, "real date"},
      {{"--tcp", "10.0.0.1", "--modem", "1", "current"}, "--modem needs --serial DEVICE, the line the modem is on"},
      {{"--serial", "/dev/ttyX", "--dial-timeout", "5", "current"}, "--dial-timeout goes with --modem"},
      {{"--serial", "/dev/ttyX", "--modem", "1", "--dial-timeout", "0", "current"},
       "--dial-timeout takes a whole number from 1 to 3600"}};
  for (const auto& [args, error] : cases) {
    EXPECT_EQ(Run(args), kExitUsage) << ::testing::PrintToString(args);
    EXPECT_NE(err.str().find(error), std::string::npos) << err.str();
  }
  EXPECT_TRUE(port.calls.empty());
}

// A write changes only the named fields and says so; a failure names the exchange that failed,
// with no write after a failed read. The clock's date goes with its day of week.
TEST_F(KamtCliTest, ConfigAndClockCommands) {
  std::vector<std::uint8_t> block(68);  // factor 2.5, maximum flow 100, divider 8, two channels, diameter "100"
  RegisterWriter r(block);
  r.Float(7, 2.5f);
  r.Float(9, 100.0f);
  for (const auto& [reg, value] : {std::pair{20, 8}, {22, 2}, {24, 4}, {25, 1234}, {33, 1}}) {
    r.U16(static_cast<std::size_t>(reg), static_cast<std::uint16_t>(value));
  }
  Replies({test::ReadAnswer(block), test::WriteAnswer(0x000F, 27)});
  ASSERT_EQ(Serial({"config", "write", "factor=3.5", "divider=#0", "display-off=Через 60 минут", "probe-pulse=1"}), kExitOk)
      << err.str();
  r.Float(7, 3.5f);
  for (const auto& [reg, value] : {std::pair{20, 2}, {23, 5}, {26, 1}}) {
    r.U16(static_cast<std::size_t>(reg), static_cast<std::uint16_t>(value));
  }
  EXPECT_EQ(LastPdu(), "10 00 0F 00 1B 36 " + ToHex({block.begin() + 14, block.end()}));
  EXPECT_EQ(out.str(), "Запись выполнена\n");
  Replies({test::ReadAnswer(block), test::WithCrc(Hex("01 90 02"))});
  EXPECT_EQ(Serial({"config", "write", "serial=77"}), kExitFailed);
  EXPECT_EQ(err.str(), "Недопустимый адрес данных!\nОшибка записи\nПринято 5 байт\n");
  port.ReplyWith(test::ReadAnswer(Hex("00 1E 00 05 00 0C 00 09 00 02 00 03 07 E5")));
  ASSERT_EQ(Serial({"clock", "read"}), kExitOk) << err.str();
  EXPECT_EQ(std::tuple(OutLines().at(0), OutLines().at(1)), std::tuple("09.03.2021 12:05:30", "Вторник"));
  port.ReplyWith(test::WriteAnswer(0x0008, 7));
  ASSERT_EQ(Serial({"clock", "write", "29.12.2024", "08:04:03"}), kExitOk) << err.str();
  EXPECT_EQ(LastPdu(), "10 00 08 00 07 0E 00 03 00 04 00 08 00 1D 00 00 00 0C 07 E8");
}

// The dial, the command, the hang-up; a number not reached runs no command; an echoing modem
// leaves the hang-up unconfirmed, and a silent one the line perhaps up.
TEST_F(KamtCliTest, ModemDialsRunsTheCommandAndHangsUp) {
  const auto kOk = Hex("0D 0A 4F 4B 0D 0A");
  const std::vector<std::string> dial = {"--modem", "5551234", "current"};
  Replies({Bytes("\r\nCONNECT 9600\r\n"), Answer(), kOk, kOk});
  EXPECT_EQ(Serial(dial), kExitOk) << err.str();
  EXPECT_EQ(port.written, (Frames{Bytes("ATD5551234\r"), Hex("01 04 10 00 00 30 F4 DE"), Bytes("+++"), Bytes("ATH\r")}));
  EXPECT_EQ(err.str(), ">>ATD5551234\nОжидание ответа от модема...\n<<\nCONNECT 9600\nОтвет получен\n"
                       "Соединение установлено\nКомандный режим\nСоединение разорвано\n");
  EXPECT_FALSE(port.IsOpen());
  port.ReplyWith(Bytes("\r\nBUSY\r\n"));
  EXPECT_EQ(Serial(dial), kExitFailed);
  EXPECT_TRUE(SaysLine("Соединение не установлено") && out.str().empty()) << err.str();
  const std::pair<Frames, std::string> hangUps[] = {
      {{kOk, Bytes("ATH\r\r\nOK\r\n")},
       "Командный режим\nkamt: the hang-up was not confirmed: no \"OK\" among the 6 bytes after ATH\n"},
      {{{}}, "kamt: the modem did not answer \"+++\" with \"OK\": the line may still be up\n"}};
  for (const auto& [replies, said] : hangUps) {
    Replies({Bytes("\r\nCONNECT 9600\r\n"), Answer()});
    Replies(replies);
    EXPECT_EQ(Serial(dial), kExitOk);
    EXPECT_TRUE(err.str().ends_with("Соединение установлено\n" + said)) << err.str();
  }
}

}  // namespace
}  // namespace kamt
