// RTU frames over a converter's TCP connection: the answer is cut at the length the request
// predicts, whatever pieces the stream brings, and the serial time-outs bound the wait.
#include <gtest/gtest.h>

#include "fake_serial_port.h"
#include "hex.h"
#include "link/rtu_tcp_transact.h"
#include "meter/exchange.h"
#include "test_rig.h"

namespace kamt {
namespace {

using test::Hex;
using Bytes = std::vector<std::uint8_t>;

const Bytes kRequest = test::WithCrc(Hex("01 04 10 00 00 30"));

Bytes Answer() {
  Bytes frame = Hex("01 04 60");
  frame.resize(3 + 96, 0x11);
  return test::WithCrc(frame);
}
Bytes Part(const Bytes& b, long from, long to) { return {b.begin() + from, b.begin() + to}; }
Bytes Cat(Bytes a, const Bytes& b) { return a.insert(a.end(), b.begin(), b.end()), a; }

const Bytes kAnswer = Answer();
const Bytes kException = test::WithCrc(Hex("01 84 02"));

struct Case {
  const char* name;
  Bytes stray;                                         // waiting before the request
  std::vector<test::FakeClientSocket::Segment> reply;  // after it
  int firstByteMs;
  Bytes received;
  std::uint64_t elapsedMs;
  std::size_t leftOver;  // bytes behind the answer, left for the next request to drop
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class RtuOverTcp : public ::testing::TestWithParam<Case> {};

TEST_P(RtuOverTcp, CutsTheAnswerAtItsLength) {
  const Case& c = GetParam();
  test::TestRig rig;
  rig.UseTcp();
  rig.session.link.LinkSettings.Framing = EthernetFraming::Rtu;
  rig.socket.Arrive(c.stray);
  rig.socket.responders.push_back([&](std::span<const std::uint8_t> sent) {
    EXPECT_EQ(Bytes(sent.begin(), sent.end()), kRequest);
    return c.reply;
  });
  std::array<std::uint8_t, 101> answer{};
  const std::uint64_t start = rig.clock.now;
  const RtuTcpResult r = RtuTcpTransact(rig.session.link, kRequest, answer, {}, c.firstByteMs);
  EXPECT_EQ(Bytes(answer.begin(), answer.begin() + static_cast<long>(r.received)), c.received);
  EXPECT_EQ(rig.clock.now - start, c.elapsedMs);
  EXPECT_EQ(rig.socket.ReceiveLength(), c.leftOver);
}

INSTANTIATE_TEST_SUITE_P(
    Stream, RtuOverTcp,
    ::testing::Values(
        Case{"whole", {}, {{5, kAnswer}}, 0, kAnswer, 5, 0},
        Case{"split", {}, {{5, Part(kAnswer, 0, 1)}, {30, Part(kAnswer, 1, 60)}, {900, Part(kAnswer, 60, 101)}}, 0,
             kAnswer, 900, 0},
        Case{"joined_with_the_next", {}, {{5, Cat(kAnswer, Hex("01 04 60"))}}, 0, kAnswer, 5, 3},
        Case{"stray_bytes_dropped", Cat(Part(kAnswer, 50, 101), Hex("00")), {{5, kAnswer}}, 0, kAnswer, 5, 0},
        Case{"exception_ends_at_once", {}, {{5, Cat(kException, Hex("55 55"))}}, 0, kException, 5, 2},
        Case{"silence", {}, {}, 0, {}, 2000 + 200 * 101, 0},
        Case{"gap_after_a_piece", {}, {{5, Part(kAnswer, 0, 10)}}, 0, Part(kAnswer, 0, 10), 1005, 0},
        Case{"silent_within_a_window", {}, {}, 108, {}, 108, 0},
        Case{"answer_started_in_the_window", {}, {{100, Part(kAnswer, 0, 2)}, {800, Part(kAnswer, 2, 101)}}, 108,
             kAnswer, 800, 0}),
    [](const ::testing::TestParamInfo<Case>& c) { return std::string(c.param.name); });

// The exchange shows the serial line's texts and applies its checks: an answer from another
// address is refused.
TEST(RtuOverTcpExchange, ShowsTheSerialTextsAndChecksTheAddress) {
  test::TestRig rig;
  rig.UseTcp();
  rig.session.link.LinkSettings.Framing = EthernetFraming::Rtu;
  rig.socket.responders.push_back([](auto) {
    Bytes other = kAnswer;
    other[0] = 2;
    return std::vector<test::FakeClientSocket::Segment>{{5, test::WithCrc(Part(other, 0, 99))}};
  });
  std::array<std::uint8_t, 96> area{};
  const std::array<std::uint8_t, 4> data = {0x10, 0x00, 0x00, 0x30};
  EXPECT_EQ(Exchange(rig.session.link, rig.window, {0x04, data, 101}, area, "Чтение данных"), ExchangeResult::Rejected);
  EXPECT_EQ(rig.window.Entries("panel2"),
            (std::vector<std::string>{"panel2 ", "panel2 Передача запроса", "panel2 Ожидание ответа",
                                      "panel2 Принято 101 байт"}));
  EXPECT_EQ(rig.window.messages, std::vector<std::string>{"Ответ от другого устройства!"});
}

}  // namespace
}  // namespace kamt
