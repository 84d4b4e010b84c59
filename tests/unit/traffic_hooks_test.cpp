// Every frame the transports write and every read they make reach the traffic sink, as they
// passed the line: the serial exchange, the Modbus TCP exchange with a late answer, the modem's
// dial and hang-up, and kamt --trace.
#include <gtest/gtest.h>

#include "cli_harness.h"
#include "connection_fakes.h"
#include "hex.h"
#include "link/traffic_hookup.h"
#include "link/traffic_log.h"
#include "meter/exchange.h"
#include "setup/connection.h"
#include "setup/modem_dial.h"
#include "test_rig.h"

namespace kamt {
namespace {

using test::Hex;
using Lines = std::vector<std::string>;
using Segments = std::vector<test::FakeClientSocket::Segment>;

// "TX rtu 01 04 ..." for each event the log holds, in order.
Lines Seen(const TrafficLog& log) {
  static const char* const kKinds[] = {"rtu", "tcp", "late", "modem"};  // in TrafficKind's order
  Lines lines;
  for (std::uint64_t n = log.FirstNumber(); n < log.EndNumber(); ++n) {
    const TrafficEvent& e = *log.Find(n);
    const std::string hex = test::ToHex(e.bytes);
    lines.push_back((e.direction == TrafficDirection::Sent ? "TX " : "RX ") +
                    std::string(kKinds[static_cast<int>(e.kind)]) + (hex.empty() ? "" : " " + hex));
  }
  return lines;
}

std::vector<std::uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

// A session on fakes with the log listening to its port and socket.
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

// An answer as it came, silence as an empty read; nothing sent, nothing shown.
TEST_F(TrafficHooksTest, SerialShowsEachFrameAsItPassedTheLine) {
  rig.port.ReplyWith(test::WithCrc(Hex("01 03 02 12 34")));
  EXPECT_EQ(ReadHolding(), ExchangeResult::Accepted);
  rig.port.ReplySilence();
  EXPECT_EQ(ReadHolding(), ExchangeResult::NoAnswer);
  rig.port.Close();
  EXPECT_EQ(ReadHolding(), ExchangeResult::NoAnswer);
  const std::string request = "TX rtu 01 03 00 08 00 01 05 C8";
  EXPECT_EQ(Seen(log), (Lines{request, "RX rtu 01 03 02 12 34 B5 33", request, "RX rtu"}));
}

// A late answer is shown when it is dropped; an answer that came in pieces is shown as the
// exchange took it, whole.
TEST_F(TrafficHooksTest, TcpShowsWholeFramesAndTheLateAnswerItDropped) {
  rig.UseTcp();
  rig.socket.responders.push_back([](std::span<const std::uint8_t>) { return Segments{}; });
  EXPECT_EQ(ReadHolding(), ExchangeResult::TcpFailed);
  rig.socket.Arrive(Hex("01 00 00 00 00 05 FF 03 02 12 34"));
  rig.socket.responders.push_back([](std::span<const std::uint8_t> sent) {
    return Segments{{1, {sent[0], sent[1], 0, 0, 0}}, {2, Hex("05 FF 03 02 00 01")}};
  });
  EXPECT_EQ(ReadHolding(), ExchangeResult::Accepted);
  EXPECT_EQ(Seen(log), (Lines{"TX tcp 01 00 00 00 00 06 FF 03 00 08 00 01", "RX tcp",
                              "RX late 01 00 00 00 00 05 FF 03 02 12 34",
                              "TX tcp 02 00 00 00 00 06 FF 03 00 08 00 01",
                              "RX tcp 02 00 00 00 00 05 FF 03 02 00 01"}));
}

TEST_F(TrafficHooksTest, HangUpShowsTheModemsDialogue) {
  test::DialogForm form2;
  form2.TickModem(true);
  rig.port.ReplyWith(Text("\r\nOK\r\n"));
  rig.port.ReplySilence();
  DisconnectClick(rig.session.link, rig.window, form2);
  EXPECT_EQ(Seen(log), (Lines{"TX modem 2B 2B 2B", "RX modem 0D 0A 4F 4B 0D 0A", "TX modem 41 54 48 0D",
                              "RX modem"}));
}

// Each read of the dial is shown as it came. The dial waits for its answer without a limit:
// every read that runs out empty says so, and the one that "Отмена" cuts short does not.
TEST_F(TrafficHooksTest, TheDialShowsEachReadButNotTheCancelledOne) {
  rig.window.SetText("TelNum_ComboBox", "12345");
  ModemDial dial{rig.window, rig.port, rig.clock};
  rig.port.replies.push_back({{0, Text("ATD12345\r")}, {1500, Text("\r\nCONNECT 9600\r\n")}});
  dial.Connect_ButtonClick();
  rig.port.ReplySilence();
  const std::uint64_t cancelAt = rig.clock.now + 15000;
  rig.window.onProcessEvents = [&] {
    if (rig.clock.now >= cancelAt) dial.Button1Click();
  };
  dial.Connect_ButtonClick();
  // A read of up to 20 bytes waits 2000 + 200 * 20 ms: two run out before the cancel.
  const std::string atd = "TX modem 41 54 44 31 32 33 34 35 0D";
  EXPECT_EQ(Seen(log), (Lines{atd, "RX modem 41 54 44 31 32 33 34 35 0D",
                              "RX modem 0D 0A 43 4F 4E 4E 45 43 54 20 39 36 30 30 0D 0A", atd, "RX modem", "RX modem"}));
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
