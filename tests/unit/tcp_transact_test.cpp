#include <gtest/gtest.h>

#include <array>

#include "hex.h"
#include "link/tcp_transact.h"
#include "test_rig.h"

namespace kamt {
namespace {

using test::Hex;
using Segment = test::FakeClientSocket::Segment;
using Segments = std::vector<Segment>;

// The MBAP header of an answer to `sent`, with the given PDU.
std::vector<std::uint8_t> AnswerTo(std::span<const std::uint8_t> sent, const std::vector<std::uint8_t>& pdu) {
  std::vector<std::uint8_t> frame = {sent[0], sent[1], 0, 0, static_cast<std::uint8_t>((pdu.size() + 1) >> 8),
                                     static_cast<std::uint8_t>((pdu.size() + 1) & 0xFF), 0xFF};
  frame.insert(frame.end(), pdu.begin(), pdu.end());
  return frame;
}

class TcpTransactTest : public ::testing::Test {
 protected:
  TcpTransactTest() { rig.UseTcp(); }

  // Answers the next request with `pdu`, changed by `spoil`, in segments split at `cuts`.
  void Answer(std::vector<std::uint8_t> pdu, std::function<void(std::vector<std::uint8_t>&)> spoil = {},
              std::vector<std::pair<std::size_t, int>> cuts = {}) {
    rig.socket.responders.push_back([=](std::span<const std::uint8_t> sent) {
      auto frame = AnswerTo(sent, pdu);
      if (spoil) spoil(frame);
      Segments out;
      std::size_t from = 0;
      int at = 1;
      for (auto [cut, delay] : cuts) {
        out.push_back({at, {frame.begin() + static_cast<std::ptrdiff_t>(from), frame.begin() + static_cast<std::ptrdiff_t>(cut)}});
        from = cut;
        at = delay;
      }
      out.push_back({at, {frame.begin() + static_cast<std::ptrdiff_t>(from), frame.end()}});
      return out;
    });
  }

  int Transact(std::vector<std::uint8_t> pdu = Hex("04 10 00 00 30")) {
    start = rig.clock.now;
    return TcpTransact(rig.session.link, pdu, answer, answerLength);
  }

  test::TestRig rig;
  std::array<std::uint8_t, 256> answer{};
  int answerLength = -7;
  std::uint64_t start = 0;
};

TEST_F(TcpTransactTest, FirstRequestCarriesTransactionOneLowByteFirst) {
  Answer(Hex("04 02 12 34"));
  EXPECT_EQ(Transact(), 0);
  EXPECT_EQ(test::ToHex(rig.socket.sent.at(0)), "01 00 00 00 00 06 FF 04 10 00 00 30");
  EXPECT_EQ(answerLength, 4);
  EXPECT_EQ(test::ToHex({answer.begin(), answer.begin() + 4}), "04 02 12 34");
}

TEST_F(TcpTransactTest, CounterWrapsFrom65535ToZero) {
  rig.session.link.TransactionId = 0xFFFE;
  for (int i = 0; i < 2; ++i) {
    Answer(Hex("10 00 08 00 07"));
    EXPECT_EQ(Transact(Hex("10 00 08 00 07")), 0);
  }
  EXPECT_EQ(test::ToHex({rig.socket.sent[0].begin(), rig.socket.sent[0].begin() + 2}), "FF FF");
  EXPECT_EQ(test::ToHex({rig.socket.sent[1].begin(), rig.socket.sent[1].begin() + 2}), "00 00");
}

struct HeaderFault {
  const char* name;
  std::function<void(std::vector<std::uint8_t>&)> spoil;
  const char* text;
};

void PrintTo(const HeaderFault& c, std::ostream* os) { *os << c.name; }

class TcpHeaderCheck : public TcpTransactTest, public ::testing::WithParamInterface<HeaderFault> {};

TEST_P(TcpHeaderCheck, RejectsWithItsTextInPanel2) {
  Answer(Hex("04 02 12 34"), GetParam().spoil);
  EXPECT_EQ(Transact(), -1);
  EXPECT_EQ(rig.window.StatusText(2), GetParam().text);
  EXPECT_EQ(answerLength, 0);
  EXPECT_TRUE(rig.window.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, TcpHeaderCheck,
    ::testing::Values(
        HeaderFault{"TransactionLowByte", [](auto& f) { f[0] ^= 1; }, "Неправильный идентификатор пакета!"},
        HeaderFault{"TransactionHighByte", [](auto& f) { f[1] = 1; }, "Неправильный идентификатор пакета!"},
        HeaderFault{"Protocol", [](auto& f) { f[3] = 1; }, "Неправильный идентификатор протокола!"},
        HeaderFault{"Unit", [](auto& f) { f[6] = 0x01; }, "Неправильный идентификатор устройства!"},
        HeaderFault{"LengthTooSmallForAPdu", [](auto& f) { f[5] = 1; }, "Неправильная длина пакета!"},
        HeaderFault{"LengthBeyondTheAnswerBuffer",
                    [](auto& f) {
                      f[4] = 0x01;
                      f[5] = 0x02;  // a 257-byte PDU
                      f.resize(6 + 0x102, 0);
                    },
                    "Неправильная длина пакета!"},
        // The transaction check comes first even when every field is wrong.
        HeaderFault{"AllWrong",
                    [](auto& f) {
                      f[0] ^= 1;
                      f[2] = 9;
                      f[6] = 0;
                    },
                    "Неправильный идентификатор пакета!"}),
    [](const auto& c) { return std::string(c.param.name); });

TEST_F(TcpTransactTest, LengthOneMoreThanTheBytesThatFollowIsRejectedAfterTheLimit) {
  Answer(Hex("04 02 12 34"), [](auto& f) { ++f[5]; });
  EXPECT_EQ(Transact(), -1);
  EXPECT_EQ(rig.window.StatusText(2), "Неправильная длина пакета!");
  EXPECT_GT(rig.clock.now - start, 3000u);
}

TEST_F(TcpTransactTest, AnswerSplitOverSegmentsIsJoined) {
  Answer(Hex("04 02 12 34"), {}, {{3, 500}, {9, 900}});
  EXPECT_EQ(Transact(), 0);
  EXPECT_EQ(answerLength, 4);
  EXPECT_EQ(answer[3], 0x34);
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

TEST_F(TcpTransactTest, SilenceEndsAfterThreeSecondsWithoutText) {
  EXPECT_EQ(Transact(), -1);
  EXPECT_GT(rig.clock.now - start, 3000u);
  EXPECT_LT(rig.clock.now - start, 3100u);
  EXPECT_EQ(answerLength, -7);
  EXPECT_EQ(rig.window.StatusText(2), "");
}

TEST_F(TcpTransactTest, LateAnswerIsDiscardedBeforeTheNextRequest) {
  EXPECT_EQ(Transact(), -1);
  // The answer to transaction 1 arrives after the limit ...
  rig.socket.Arrive(Hex("01 00 00 00 00 05 FF 04 02 AA AA"));
  // ... and must not pass for the answer to transaction 2.
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
