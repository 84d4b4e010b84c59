// The traffic monitor's lines: every frame the transports write and every read they make, as it
// passed the line, what each says, the log of the newest ones, its file, and kamt --trace.
#include <fstream>
#include <gtest/gtest.h>

#include "cli_harness.h"
#include "connection_fakes.h"
#include "hex.h"
#include "link/traffic_decoder.h"
#include "link/traffic_file.h"
#include "link/traffic_hookup.h"
#include "link/traffic_line.h"
#include "link/traffic_log.h"
#include "meter/exchange.h"
#include "setup/connection.h"
#include "setup/modem_dial.h"
#include "test_rig.h"
#include "text/text_file.h"

namespace kamt {
namespace {

using test::Hex;
using Lines = std::vector<std::string>;
using Segments = std::vector<test::FakeClientSocket::Segment>;
constexpr auto TX = TrafficDirection::Sent;
constexpr auto RX = TrafficDirection::Received;

// What a frame says, one line for the monitor: requests, answers, exceptions (the master counts
// Modbus TCP transactions low byte first), the faults of each, and the modem's texts.
TEST(TrafficDecoder, SummarisesTheFrame) {
  const std::tuple<TrafficDirection, TrafficKind, std::vector<std::uint8_t>, const char*, bool> cases[] = {
      {TX, TrafficKind::Rtu, Hex("01 04 10 00 00 30 F4 DE"),
       "0x04 чтение входных регистров; начало 0x1000, количество 48; адрес 1", false},
      {TX, TrafficKind::Rtu, Hex("01 04 10 00 00 30 F5 DE"),
       "0x04 чтение входных регистров; начало 0x1000, количество 48; адрес 1; CRC неверна", true},
      {RX, TrafficKind::Rtu, test::WithCrc(Hex("01 10 00 0F 00 1B 00")),
       "0x10 запись регистров; начало 0x000F, количество 27; лишних байт: 1; адрес 1", true},
      {RX, TrafficKind::Rtu, test::WithCrc(Hex("01 46 00 05 0A 0E 03 18")),
       "0x46 часовой архив; запись 5 от 14.03.2024 10:00; запись неполна, байт: 4 из 40; адрес 1", true},
      {RX, TrafficKind::Rtu, {}, "нет ответа", true},
      {RX, TrafficKind::Rtu, test::WithCrc(Hex("01 C8 8B")), "0xC8 исключение 0x8B: Ошибка: 0х8B; адрес 1", true},
      {TX, TrafficKind::Tcp, Hex("34 12 00 00 00 06 FF 03 00 08 00 07"),
       "0x03 чтение регистров хранения; начало 0x0008, количество 7; транзакция 4660, протокол 0, длина 6, "
       "устройство 255", false},
      {RX, TrafficKind::Tcp, Hex("01 00 00 01 00 03 FF 84 02"),
       "0x84 исключение 0x02: Недопустимый адрес данных!; транзакция 1, протокол 1, длина 3, устройство 255; "
       "протокол не 0", true},
      {RX, TrafficKind::TcpLate, Hex("05 00 00 00 00 03 FF 84 02"),
       "опоздавшие байты, отброшены; 0x84 исключение 0x02: Недопустимый адрес данных!; транзакция 5, протокол 0, "
       "длина 3, устройство 255", true},
      {RX, TrafficKind::ModemText, Hex("0D 0A 43 4F 4E 4E 45 43 54 0D 0A CD C5 D2"), "модем: <CR><LF>CONNECT<CR><LF>НЕТ",
       false}};
  for (const auto& [direction, kind, frame, text, fault] : cases) {
    const TrafficSummary summary = DescribeTraffic(direction, kind, frame);
    EXPECT_EQ(std::tuple(summary.text, summary.fault), std::tuple(text, fault));
  }
  EXPECT_EQ(TrafficLineText({86399999, RX, TrafficKind::Rtu, {}}), "23:59:59.999\tRX\t\tнет ответа");
}

// The newest ten thousand are kept; Clear forgets all but goes on numbering. The file is
// Windows-1251 with tabs and CR LF, written whole.
TEST(TrafficLog, KeepsTheNewestAndSavesThemWhole) {
  TrafficLog log(kTrafficLogLimit, [n = 45296789u]() mutable { return n++; });
  for (int i = 0; i < 10003; ++i) log.Record(TX, TrafficKind::Rtu, Hex("01 46 00 05 20 0E"));
  log.Record(RX, TrafficKind::Rtu, {});
  EXPECT_EQ(std::tuple(log.size(), log.FirstNumber(), log.Find(3), log.Find(4) != nullptr), std::tuple(10000u, 4u, nullptr, true));
  test::TempDir dir;
  ASSERT_TRUE(SaveTrafficLog(log, dir.path / "traffic.txt"));
  // "0x46 часовой архив; запись 5; адрес 1" and "нет ответа", byte for byte in Windows-1251.
  EXPECT_TRUE(ReadFileBytes(dir.path / "traffic.txt")->ends_with(
      "\t0x46 \xF7\xE0\xF1\xEE\xE2\xEE\xE9 \xE0\xF0\xF5\xE8\xE2; \xE7\xE0\xEF\xE8\xF1\xFC 5; \xE0\xE4\xF0\xE5\xF1 1\r\n"
      "12:35:06.792\tRX\t\t\xED\xE5\xF2 \xEE\xF2\xE2\xE5\xF2\xE0\r\n"));
  log.Clear();
  EXPECT_EQ(std::tuple(log.size(), log.FirstNumber()), std::tuple(0u, 10004u));
  ASSERT_TRUE(SaveTrafficLog(log, dir.path / "traffic.txt"));
  EXPECT_EQ(ReadFileBytes(dir.path / "traffic.txt"), "");
  WriteFailure failure = WriteFailure::None;
  EXPECT_FALSE(SaveTrafficLog(log, dir.path / "missing" / "traffic.txt", nullptr, &failure));
  EXPECT_EQ(failure, WriteFailure::Create);
}

// "TX rtu 01 04 ..." for each event the log holds, in order.
Lines Seen(const TrafficLog& log) {
  static const char* const kKinds[] = {"rtu", "tcp", "late", "modem"};  // in TrafficKind's order
  Lines lines;
  for (std::uint64_t n = log.FirstNumber(); n < log.EndNumber(); ++n) {
    const TrafficEvent& e = *log.Find(n);
    const std::string hex = test::ToHex(e.bytes);
    lines.push_back((e.direction == TX ? "TX " : "RX ") + std::string(kKinds[static_cast<int>(e.kind)]) +
                    (hex.empty() ? "" : " " + hex));
  }
  return lines;
}

std::vector<std::uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

class TrafficHooksTest : public ::testing::Test {
 protected:
  TrafficHooksTest() { AttachTraffic(rig.port, rig.socket, &log); }
  ExchangeResult ReadHolding() {
    const auto data = Hex("00 08 00 01");
    return Exchange(rig.session.link, rig.window, Request{0x03, data, 7}, area, "");
  }
  test::TestRig rig;
  TrafficLog log;
  std::array<std::uint8_t, 2> area{};
};

// Serial: silence is an empty read; nothing sent, nothing shown. TCP: a late answer is shown
// when it is dropped; one that came in pieces as the exchange took it, whole.
TEST_F(TrafficHooksTest, EachExchangeShowsItsFramesAsTheyPassedTheLine) {
  rig.port.ReplySilence();
  EXPECT_EQ(ReadHolding(), ExchangeResult::NoAnswer);
  rig.port.Close();
  EXPECT_EQ(ReadHolding(), ExchangeResult::NoAnswer);
  rig.UseTcp();
  rig.socket.responders.push_back([](std::span<const std::uint8_t>) { return Segments{}; });
  EXPECT_EQ(ReadHolding(), ExchangeResult::TcpFailed);
  rig.socket.Arrive(Hex("01 00 00 00 00 05 FF 03 02 12 34"));
  rig.socket.responders.push_back([](std::span<const std::uint8_t> sent) {
    return Segments{{1, {sent[0], sent[1], 0, 0, 0}}, {2, Hex("05 FF 03 02 00 01")}};
  });
  EXPECT_EQ(ReadHolding(), ExchangeResult::Accepted);
  EXPECT_EQ(Seen(log), (Lines{"TX rtu 01 03 00 08 00 01 05 C8", "RX rtu", "TX tcp 01 00 00 00 00 06 FF 03 00 08 00 01",
                              "RX tcp", "RX late 01 00 00 00 00 05 FF 03 02 12 34",
                              "TX tcp 02 00 00 00 00 06 FF 03 00 08 00 01", "RX tcp 02 00 00 00 00 05 FF 03 02 00 01"}));
}

// The modem's dialogue: each read of the dial as it came, every read that runs out empty but not
// the one "Отмена" cuts short (a read of up to 20 bytes waits 2000 + 200 * 20 ms), the hang-up.
TEST_F(TrafficHooksTest, TheModemsDialogueIsShown) {
  rig.window.SetText("TelNum_ComboBox", "1");
  ModemDial dial{rig.window, rig.port, rig.clock};
  rig.port.ReplySilence();
  const std::uint64_t cancelAt = rig.clock.now + 15000;
  rig.window.onProcessEvents = [&] {
    if (rig.clock.now >= cancelAt) dial.Button1Click();
  };
  dial.Connect_ButtonClick();
  test::DialogForm form2;
  form2.TickModem(true);
  rig.port.ReplyWith(Text("\r\nOK\r\n"));
  rig.port.ReplySilence();
  DisconnectClick(rig.session.link, rig.window, form2);
  EXPECT_EQ(Seen(log), (Lines{"TX modem 41 54 44 31 0D", "RX modem", "RX modem", "TX modem 2B 2B 2B", "RX modem 0D 0A 4F 4B 0D 0A",
                              "TX modem 41 54 48 0D", "RX modem"}));
}

using TraceOption = test::CliHarness;

// kamt --trace prints every frame on stderr, and lets go of the line after.
TEST_F(TraceOption, PrintsEveryFrameOnStderrAndLetsGoOfTheLine) {
  port.ReplySilence();
  EXPECT_EQ(Run({"--trace", "--serial", "/dev/ttyX", "current"}), kExitFailed);
  EXPECT_NE(err.str().find("\tTX\t01 04 10 00 00 30 F4 DE\t0x04 чтение входных регистров; начало 0x1000, "
                           "количество 48; адрес 1\n"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("\tRX\t\tнет ответа\n"), std::string::npos) << err.str();
  EXPECT_TRUE(!port.traffic && !socket.traffic);
}

}  // namespace
}  // namespace kamt
