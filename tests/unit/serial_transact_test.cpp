#include <gtest/gtest.h>

#include <array>

#include "fake_clock.h"
#include "fake_serial_port.h"
#include "fake_window.h"
#include "hex.h"
#include "link/serial_transact.h"

namespace kamt {
namespace {

using test::Hex;
using test::WithCrc;

class SerialTransactTest : public ::testing::Test {
 protected:
  SerialTransactTest() { port.Open("/dev/ttyTEST"); }

  std::uint32_t Transact(std::size_t expected) {
    start = clock.now;
    return SerialTransact(port, request, std::span(answer).first(expected), window, clock);
  }
  std::uint64_t Elapsed() const { return clock.now - start; }

  test::FakeClock clock;
  test::FakeSerialPort port{clock};
  test::FakeWindow window;
  std::vector<std::uint8_t> request = Hex("01 04 10 00 00 30 F4 DE");
  std::array<std::uint8_t, 256> answer{};
  std::uint64_t start = 0;
};

TEST_F(SerialTransactTest, GoodAnswerShowsTheExchangeTextsInOrder) {
  std::vector<std::uint8_t> reply(101, 0x42);
  port.ReplyWith(reply);
  EXPECT_EQ(Transact(101), 101u);
  EXPECT_EQ(window.Entries("panel2"),
            (std::vector<std::string>{"panel2 ", "panel2 Передача запроса", "panel2 Ожидание ответа",
                                      "panel2 Принято 101 байт"}));
  EXPECT_EQ(port.written, std::vector<std::vector<std::uint8_t>>{request});
  EXPECT_EQ(answer[100], 0x42);
  // Stale bytes are discarded before the request goes out, not after.
  EXPECT_EQ(port.calls, (std::vector<std::string>{"open /dev/ttyTEST", "purge", "write"}));
  EXPECT_GE(window.processEventsCalls, 3);
}

TEST_F(SerialTransactTest, NoPortSendsNothingAndLeavesPanelEmpty) {
  port.Close();
  EXPECT_EQ(Transact(101), 0u);
  EXPECT_EQ(window.Entries("panel2"), std::vector<std::string>{"panel2 "});
  EXPECT_TRUE(port.written.empty());
  EXPECT_EQ(Elapsed(), 0u);
}

TEST_F(SerialTransactTest, SilentMeterEndsAtTheTotalTimeout) {
  port.ReplySilence();
  EXPECT_EQ(Transact(101), 0u);
  EXPECT_EQ(Elapsed(), 2000u + 200u * 101u);
  EXPECT_EQ(window.StatusText(2), "Принято 0 байт");
}

TEST_F(SerialTransactTest, TotalTimeoutGrowsWithTheExpectedLength) {
  for (std::size_t expected : {8u, 19u, 46u}) {
    port.ReplySilence();
    Transact(expected);
    EXPECT_EQ(Elapsed(), 2000u + 200u * expected) << expected;
  }
}

TEST_F(SerialTransactTest, ShortAnswerEndsOneSecondAfterItsLastByte) {
  port.ReplyWith(std::vector<std::uint8_t>(8, 0x11));
  EXPECT_EQ(Transact(101), 8u);
  EXPECT_EQ(Elapsed(), 1000u);
  EXPECT_EQ(window.StatusText(2), "Принято 8 байт");
}

TEST_F(SerialTransactTest, PiecesWithGapsBelowOneSecondMakeOneAnswer) {
  port.replies.push_back({{100, Hex("01 04")}, {1050, Hex("60 00")}, {2000, Hex("11 22")}});
  EXPECT_EQ(Transact(6), 6u);
  EXPECT_EQ(Elapsed(), 2000u);
}

TEST_F(SerialTransactTest, GapOverOneSecondEndsTheRead) {
  port.replies.push_back({{100, Hex("01 04")}, {1101, Hex("60 00")}});
  EXPECT_EQ(Transact(6), 2u);
}

TEST_F(SerialTransactTest, WholeExceptionFrameEndsTheReadAtOnce) {
  const auto frame = WithCrc(Hex("01 84 02"));
  port.replies.push_back({{30, {frame.begin(), frame.begin() + 2}}, {35, {frame.begin() + 2, frame.end()}}});
  EXPECT_EQ(Transact(101), 5u);
  EXPECT_EQ(Elapsed(), 35u);
}

TEST_F(SerialTransactTest, FiveBytesThatAreNoExceptionFrameWaitForMore) {
  // Function without bit 7, or a wrong CRC: the silence still decides.
  port.ReplyWith(WithCrc(Hex("01 04 02")));
  EXPECT_EQ(Transact(101), 5u);
  EXPECT_EQ(Elapsed(), 1000u);
  auto broken = WithCrc(Hex("01 84 02"));
  broken[4] ^= 1;
  port.ReplyWith(broken);
  EXPECT_EQ(Transact(101), 5u);
  EXPECT_EQ(Elapsed(), 1000u);
}

TEST_F(SerialTransactTest, AnswerLongerThanExpectedIsCutAtTheCount) {
  port.ReplyWith(std::vector<std::uint8_t>(30, 0x01));
  EXPECT_EQ(Transact(8), 8u);
  EXPECT_EQ(answer[8], 0);
}

TEST_F(SerialTransactTest, PortVanishingWhileWaitingEndsTheRead) {
  port.ReplySilence();
  window.onProcessEvents = [&] {
    if (window.StatusText(2) == "Ожидание ответа") port.Close();
  };
  EXPECT_EQ(Transact(101), 0u);
  EXPECT_LT(Elapsed(), 2000u);
}

}  // namespace
}  // namespace kamt
