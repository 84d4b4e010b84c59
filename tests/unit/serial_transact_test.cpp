#include <array>
#include <gtest/gtest.h>

#include "fake_clock.h"
#include "fake_serial_port.h"
#include "fake_window.h"
#include "hex.h"
#include "meter/exchange.h"

namespace kamt {
namespace {

using test::Hex;
using test::WithCrc;
using Bytes = std::vector<std::uint8_t>;

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
  Bytes request = Hex("01 04 10 00 00 30 F4 DE");
  std::array<std::uint8_t, 256> answer{};
  std::uint64_t start = 0;
};

TEST_F(SerialTransactTest, GoodAnswerShowsTheExchangeTextsInOrder) {
  port.ReplyWith(Bytes(101, 0x42));
  EXPECT_EQ(Transact(101), 101u);
  EXPECT_EQ(window.Entries("panel2"),
            (std::vector<std::string>{"panel2 ", "panel2 Передача запроса", "panel2 Ожидание ответа",
                                      "panel2 Принято 101 байт"}));
  EXPECT_EQ(port.written, std::vector<Bytes>{request});
  // Stale bytes are discarded before the request goes out, not after.
  EXPECT_EQ(port.calls, (std::vector<std::string>{"open /dev/ttyTEST", "purge", "write"}));
}

TEST_F(SerialTransactTest, NoPortSendsNothingAndLeavesPanelEmpty) {
  port.Close();
  EXPECT_EQ(Transact(101), 0u);
  EXPECT_EQ(window.Entries("panel2"), std::vector<std::string>{"panel2 "});
  EXPECT_TRUE(port.written.empty());
  EXPECT_EQ(Elapsed(), 0u);
}

TEST_F(SerialTransactTest, PortVanishingWhileWaitingEndsTheRead) {
  port.ReplySilence();
  window.onProcessEvents = [&] {
    if (window.StatusText(2) == "Ожидание ответа") port.Close();
  };
  EXPECT_EQ(Transact(101), 0u);
  EXPECT_LT(Elapsed(), 2000u);
}

struct ReadCase {
  const char* name;
  test::FakeSerialPort::Reply reply;
  std::size_t expected;  // the answer length asked for
  std::uint32_t received;
  std::uint64_t elapsedMs;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class SerialRead : public SerialTransactTest, public ::testing::WithParamInterface<ReadCase> {};

// The read ends at the total limit (2 s + 200 ms a byte expected), one second after the last
// byte, when the count is reached, or at once on a whole exception frame.
TEST_P(SerialRead, EndsWhereTheTimeoutsSayAndKeepsWhatCame) {
  const ReadCase& c = GetParam();
  port.replies.push_back(c.reply);
  EXPECT_EQ(Transact(c.expected), c.received);
  EXPECT_EQ(Elapsed(), c.elapsedMs);
  EXPECT_EQ(window.StatusText(2), "Принято " + std::to_string(c.received) + " байт");
  Bytes sent;
  for (const auto& piece : c.reply) sent.insert(sent.end(), piece.bytes.begin(), piece.bytes.end());
  sent.resize(c.received);
  sent.resize(answer.size());  // nothing past the count is written
  EXPECT_EQ(Bytes(answer.begin(), answer.end()), sent);
}

const Bytes kException = WithCrc(Hex("01 84 02"));
const Bytes kBrokenException = [] { auto f = kException; f[4] ^= 1; return f; }();

INSTANTIATE_TEST_SUITE_P(
    Cases, SerialRead,
    ::testing::Values(
        ReadCase{"Silence", {}, 101, 0, 2000 + 200 * 101},
        ReadCase{"ShortAnswerEndsOneSecondAfterItsLastByte", {{0, Bytes(8, 0x11)}}, 101, 8, 1000},
        ReadCase{"GapsBelowOneSecondMakeOneAnswer", {{100, Hex("01 04")}, {1050, Hex("60 00")}, {2000, Hex("11 22")}},
                 6, 6, 2000},
        ReadCase{"GapOverOneSecondEndsTheRead", {{100, Hex("01 04")}, {1101, Hex("60 00")}}, 6, 2, 1100},
        ReadCase{"WholeExceptionFrameEndsAtOnce",
                 {{30, {kException.begin(), kException.begin() + 2}}, {35, {kException.begin() + 2, kException.end()}}},
                 101, 5, 35},
        // Five bytes without bit 7 in the function, or with a wrong CRC: the silence still decides.
        ReadCase{"FiveBytesOfANormalAnswerWaitForMore", {{0, WithCrc(Hex("01 04 02"))}}, 101, 5, 1000},
        ReadCase{"ExceptionWithAWrongCrcWaitsForMore", {{0, kBrokenException}}, 101, 5, 1000},
        ReadCase{"AnswerLongerThanExpectedIsCutAtTheCount", {{0, Bytes(30, 0x01)}}, 8, 8, 0}),
    [](const auto& c) { return std::string(c.param.name); });

}  // namespace
}  // namespace kamt
