// The traffic monitor's lines: every frame the transports write and every read they make, as it
// passed the line, what each says, and kamt --trace.
#include <gtest/gtest.h>

#include "cli_harness.h"
#include "hex.h"
#include "link/traffic_decoder.h"
#include "link/traffic_hookup.h"
#include "link/traffic_line.h"
#include "link/traffic_log.h"
#include "meter/exchange.h"
#include "test_rig.h"

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
