#include <array>
#include <gtest/gtest.h>

#include "hex.h"
#include "link/tcp_transact.h"
#include "test_rig.h"

namespace kamt {
namespace {

using test::Hex;
using Frame = std::vector<std::uint8_t>;
using Segment = test::FakeClientSocket::Segment;

class TcpTransactTest : public ::testing::Test {
 protected:
  TcpTransactTest() { rig.UseTcp(); }

  // Answers the next request with `pdu` behind the request's MBAP header, changed by `spoil`.
  void Answer(Frame pdu, std::function<void(Frame&)> spoil = {}) {
    rig.socket.responders.push_back([=](std::span<const std::uint8_t> sent) {
      Frame frame = {sent[0], sent[1], 0, 0, 0, static_cast<std::uint8_t>(pdu.size() + 1), 0xFF};
      frame.insert(frame.end(), pdu.begin(), pdu.end());
      if (spoil) spoil(frame);
      return std::vector<Segment>{{1, frame}};
    });
  }

  int Transact(Frame pdu = Hex("04 10 00 00 30")) {
    start = rig.clock.now;
    last = TcpTransact(rig.session.link, pdu, answer, answerLength);
    return last.result;
  }

  test::TestRig rig;
  std::array<std::uint8_t, 256> answer{};
  int answerLength = -7;
  std::uint64_t start = 0;
  TcpResult last;
};

TEST_F(TcpTransactTest, CounterWrapsFrom65535ToZero) {
  rig.session.link.TransactionId = 0xFFFE;
  for (const char* id : {"FF FF", "00 00"}) {
    Answer(Hex("10 00 08 00 07"));
    EXPECT_EQ(Transact(Hex("10 00 08 00 07")), 0);
    EXPECT_EQ(test::ToHex({rig.socket.sent.back().begin(), rig.socket.sent.back().begin() + 2}), id);
  }
}

struct HeaderFault {
  const char* name;
  std::function<void(Frame&)> spoil;
  const char* text;
  bool waitsForTheLimit = false;
};

void PrintTo(const HeaderFault& c, std::ostream* os) { *os << c.name; }

class TcpHeaderCheck : public TcpTransactTest, public ::testing::WithParamInterface<HeaderFault> {};

TEST_P(TcpHeaderCheck, RejectsWithItsTextInPanel2) {
  Answer(Hex("04 02 12 34"), GetParam().spoil);
  EXPECT_EQ(Transact(), -1);
  EXPECT_EQ(last.text, GetParam().text);
  EXPECT_EQ(answerLength, 0);
  EXPECT_TRUE(rig.window.messages.empty());
  EXPECT_EQ(rig.clock.now - start > 3000, GetParam().waitsForTheLimit);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, TcpHeaderCheck,
    ::testing::Values(
        HeaderFault{"TransactionLowByte", [](auto& f) { f[0] ^= 1; }, "Неправильный идентификатор пакета!"},
        HeaderFault{"TransactionHighByte", [](auto& f) { f[1] = 1; }, "Неправильный идентификатор пакета!"},
        HeaderFault{"Protocol", [](auto& f) { f[3] = 1; }, "Неправильный идентификатор протокола!"},
        HeaderFault{"Unit", [](auto& f) { f[6] = 0x01; }, "Неправильный идентификатор устройства!"},
        HeaderFault{"LengthTooSmallForAPdu", [](auto& f) { f[5] = 1; }, "Неправильная длина пакета!"},
        HeaderFault{"LengthBeyondTheAnswerBuffer",  // a 257-byte PDU
                    [](auto& f) { f[4] = 0x01; f[5] = 0x02; f.resize(6 + 0x102, 0); }, "Неправильная длина пакета!"},
        // The frame is never whole, so it is judged once the limit has passed.
        HeaderFault{"LengthOneMoreThanTheBytesThatFollow", [](auto& f) { ++f[5]; }, "Неправильная длина пакета!",
                    true},
        // The transaction check comes first even when every field is wrong.
        HeaderFault{"AllWrong", [](auto& f) { f[0] ^= 1; f[2] = 9; f[6] = 0; }, "Неправильный идентификатор пакета!"}),
    [](const auto& c) { return std::string(c.param.name); });

// The first request carries transaction 1, low byte first; an answer split over segments is joined.
TEST_F(TcpTransactTest, FirstRequestAndItsAnswerInPieces) {
  rig.socket.responders.push_back([](std::span<const std::uint8_t> sent) {
    return std::vector<Segment>{{1, {sent[0], sent[1], 0}}, {500, Hex("00 00 05 FF 04 02")}, {900, Hex("12 34")}};
  });
  EXPECT_EQ(Transact(), 0);
  EXPECT_EQ(test::ToHex(rig.socket.sent.at(0)), "01 00 00 00 00 06 FF 04 10 00 00 30");
  EXPECT_EQ(answerLength, 4);
  EXPECT_EQ(test::ToHex({answer.begin(), answer.begin() + 4}), "04 02 12 34");
}

TEST_F(TcpTransactTest, TwoFramesInOneReadTakeTheFirst) {
  Answer(Hex("04 02 12 34"), [](auto& f) {
    auto second = f;
    second[9] = 0x99;
    f.insert(f.end(), second.begin(), second.end());
  });
  EXPECT_EQ(Transact(), 0);
  EXPECT_EQ(answerLength, 4);
  EXPECT_EQ(answer[2], 0x12);
}

TEST_F(TcpTransactTest, SilenceEndsAfterThreeSecondsAndTheLateAnswerIsDiscarded) {
  EXPECT_EQ(Transact(), -1);
  EXPECT_GT(rig.clock.now - start, 3000u);
  EXPECT_LT(rig.clock.now - start, 3100u);
  EXPECT_EQ(answerLength, -7);
  EXPECT_EQ(last.text, "");
  // The answer to transaction 1 arrives after the limit and must not pass for the next one's.
  rig.socket.Arrive(Hex("01 00 00 00 00 05 FF 04 02 AA AA"));
  Answer(Hex("04 02 12 34"));
  EXPECT_EQ(Transact(), 0);
  EXPECT_EQ(answer[2], 0x12);
}

TEST_F(TcpTransactTest, NotConnectedFailsAtOnce) {
  rig.socket.Close();
  EXPECT_EQ(Transact(), -1);
  EXPECT_TRUE(rig.socket.sent.empty());
  EXPECT_EQ(rig.clock.now, start);
}

}  // namespace
}  // namespace kamt
