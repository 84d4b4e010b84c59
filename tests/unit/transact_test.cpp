// One request and its answer on the fake clock: the serial line's time-outs, and the Modbus TCP
// header, its 3 s limit and answers in pieces.
#include <array>
#include <gtest/gtest.h>

#include "hex.h"
#include "link/tcp_transact.h"
#include "meter/exchange.h"
#include "test_rig.h"

namespace kamt {
namespace {

using test::Hex;
using test::WithCrc;
using Bytes = std::vector<std::uint8_t>;
using Segment = test::FakeClientSocket::Segment;

class SerialTransactTest : public ::testing::Test {
 protected:
  std::uint32_t Transact(std::size_t expected) {
    start = rig.clock.now;
    return SerialTransact(rig.port, request, std::span(answer).first(expected), rig.window, rig.clock);
  }
  std::uint64_t Elapsed() const { return rig.clock.now - start; }

  test::TestRig rig;
  Bytes request = Hex("01 04 10 00 00 30 F4 DE");
  std::array<std::uint8_t, 256> answer{};
  std::uint64_t start = 0;
};

// Stale bytes are discarded before the request goes out, not after.
TEST_F(SerialTransactTest, ShowsTheExchangeTextsInOrderAndNothingWithoutAPort) {
  rig.port.ReplyWith(Bytes(101, 0x42));
  EXPECT_EQ(Transact(101), 101u);
  EXPECT_EQ(rig.window.Entries("panel2"), (std::vector<std::string>{"panel2 ", "panel2 Передача запроса",
                                                                    "panel2 Ожидание ответа", "panel2 Принято 101 байт"}));
  EXPECT_EQ(rig.port.written, std::vector<Bytes>{request});
  EXPECT_EQ(rig.port.calls, (std::vector<std::string>{"purge", "write"}));
  rig.port.Close();
  rig.window.log.clear();
  EXPECT_EQ(Transact(101), 0u);
  EXPECT_EQ(rig.window.log, std::vector<std::string>{"panel2 "});
  EXPECT_EQ(std::tuple(rig.port.written.size(), Elapsed()), std::tuple(std::size_t{1}, std::uint64_t{0}));
}

// The read ends at the total limit (2 s + 200 ms a byte expected), one second after the last
// byte, when the count is reached, at once on a whole exception frame, or when the port goes.
TEST_F(SerialTransactTest, ReadEndsWhereTheTimeoutsSayAndKeepsWhatCame) {
  const Bytes exception = WithCrc(Hex("01 84 02"));
  Bytes broken = exception;
  broken[4] ^= 1;
  const struct {
    test::FakeSerialPort::Reply reply;
    std::size_t expected;  // the answer length asked for
    std::uint32_t received;
    std::uint64_t elapsedMs;
  } cases[] = {
      {{}, 101, 0, 2000 + 200 * 101},
      {{{0, Bytes(8, 0x11)}}, 101, 8, 1000},
      {{{100, Hex("01 04")}, {1050, Hex("60 00")}, {2000, Hex("11 22")}}, 6, 6, 2000},
      {{{100, Hex("01 04")}, {1101, Hex("60 00")}}, 6, 2, 1100},
      {{{30, {exception.begin(), exception.begin() + 2}}, {35, {exception.begin() + 2, exception.end()}}}, 101, 5, 35},
      // Five bytes without bit 7 in the function, or with a wrong CRC: the silence still decides.
      {{{0, WithCrc(Hex("01 04 02"))}}, 101, 5, 1000},
      {{{0, broken}}, 101, 5, 1000},
      {{{0, Bytes(30, 0x01)}}, 8, 8, 0}};
  for (const auto& c : cases) {
    answer.fill(0);
    rig.clock.now += 5000;  // what came late of the case before is purged
    rig.port.replies.push_back(c.reply);
    EXPECT_EQ(Transact(c.expected), c.received) << c.elapsedMs;
    EXPECT_EQ(Elapsed(), c.elapsedMs);
    EXPECT_EQ(rig.window.StatusText(2), "Принято " + std::to_string(c.received) + " байт");
    Bytes sent;
    for (const auto& piece : c.reply) sent.insert(sent.end(), piece.bytes.begin(), piece.bytes.end());
    sent.resize(c.received);
    sent.resize(answer.size());  // nothing past the count is written
    EXPECT_EQ(Bytes(answer.begin(), answer.end()), sent);
  }
  rig.port.ReplySilence();
  rig.window.onProcessEvents = [&] {
    if (rig.window.StatusText(2) == "Ожидание ответа") rig.port.Close();
  };
  EXPECT_EQ(Transact(101), 0u);
  EXPECT_LT(Elapsed(), 2000u);
}

class TcpTransactTest : public ::testing::Test {
 protected:
  TcpTransactTest() { rig.UseTcp(); }
  // Answers the next request with `pdu` behind the request's MBAP header, changed by `spoil`.
  void Answer(Bytes pdu, std::function<void(Bytes&)> spoil = {}) {
    rig.socket.responders.push_back([=](std::span<const std::uint8_t> sent) {
      Bytes frame = {sent[0], sent[1], 0, 0, 0, static_cast<std::uint8_t>(pdu.size() + 1), 0xFF};
      frame.insert(frame.end(), pdu.begin(), pdu.end());
      if (spoil) spoil(frame);
      return std::vector<Segment>{{1, frame}};
    });
  }
  int Transact() {
    start = rig.clock.now;
    last = TcpTransact(rig.session.link, Hex("04 10 00 00 30"), answer, answerLength);
    return last.result;
  }

  test::TestRig rig;
  std::array<std::uint8_t, 256> answer{};
  int answerLength = -7;
  std::uint64_t start = 0;
  TcpResult last;
};

// The transaction check comes first even when every field is wrong; a frame that is never
// whole is judged once the limit has passed.
TEST_F(TcpTransactTest, HeaderFaultsAreRefusedWithTheirText) {
  const std::tuple<std::function<void(Bytes&)>, const char*, bool> cases[] = {  // fault, text, waits the limit
      {[](auto& f) { f[0] ^= 1; }, "Неправильный идентификатор пакета!", false},
      {[](auto& f) { f[1] = 1; }, "Неправильный идентификатор пакета!", false},
      {[](auto& f) { f[3] = 1; }, "Неправильный идентификатор протокола!", false},
      {[](auto& f) { f[6] = 0x01; }, "Неправильный идентификатор устройства!", false},
      {[](auto& f) { f[5] = 1; }, "Неправильная длина пакета!", false},
      {[](auto& f) { f[4] = 0x01; f[5] = 0x02; f.resize(6 + 0x102, 0); }, "Неправильная длина пакета!", false},
      {[](auto& f) { ++f[5]; }, "Неправильная длина пакета!", true},
      {[](auto& f) { f[0] ^= 1; f[2] = 9; f[6] = 0; }, "Неправильный идентификатор пакета!", false}};
  for (const auto& [spoil, text, waits] : cases) {
    answerLength = -7;
    Answer(Hex("04 02 12 34"), spoil);
    EXPECT_EQ(Transact(), -1);
    EXPECT_EQ(last.text, text);
    EXPECT_EQ(answerLength, 0);
    EXPECT_EQ(rig.clock.now - start > 3000, waits) << text;
  }
  EXPECT_TRUE(rig.window.messages.empty());
}

// Transaction 1 first, low byte first, wrapping from 65535 to 0; an answer split over
// segments is joined; of two frames in one read the first counts.
TEST_F(TcpTransactTest, TransactionsAndAnswersInPiecesOrTwoAtOnce) {
  rig.socket.responders.push_back([](std::span<const std::uint8_t> sent) {
    return std::vector<Segment>{{1, {sent[0], sent[1], 0}}, {500, Hex("00 00 05 FF 04 02")}, {900, Hex("12 34")}};
  });
  EXPECT_EQ(Transact(), 0);
  EXPECT_EQ(test::ToHex(rig.socket.sent.at(0)), "01 00 00 00 00 06 FF 04 10 00 00 30");
  EXPECT_EQ(test::ToHex({answer.begin(), answer.begin() + answerLength}), "04 02 12 34");
  Answer(Hex("04 02 56 78"), [](auto& f) {
    auto second = f;
    second[9] = 0x99;
    f.insert(f.end(), second.begin(), second.end());
  });
  EXPECT_EQ(Transact(), 0);
  EXPECT_EQ(test::ToHex({answer.begin(), answer.begin() + answerLength}), "04 02 56 78");
  rig.session.link.TransactionId = 0xFFFE;
  for (const char* id : {"FF FF", "00 00"}) {
    Answer(Hex("04 02 12 34"));
    EXPECT_EQ(Transact(), 0);
    EXPECT_EQ(test::ToHex({rig.socket.sent.back().begin(), rig.socket.sent.back().begin() + 2}), id);
  }
}

// The answer to transaction 1 arrives after the limit and must not pass for the next one's.
TEST_F(TcpTransactTest, SilenceEndsAfterThreeSecondsAndTheLateAnswerIsDiscarded) {
  EXPECT_EQ(Transact(), -1);
  EXPECT_GT(rig.clock.now - start, 3000u);
  EXPECT_LT(rig.clock.now - start, 3100u);
  EXPECT_EQ(std::tuple(answerLength, last.text), std::tuple(-7, std::string()));
  rig.socket.Arrive(Hex("01 00 00 00 00 05 FF 04 02 AA AA"));
  Answer(Hex("04 02 12 34"));
  EXPECT_EQ(Transact(), 0);
  EXPECT_EQ(answer[2], 0x12);
  rig.socket.Close();
  EXPECT_EQ(Transact(), -1);
  EXPECT_EQ(rig.socket.sent.size(), 2u);
  EXPECT_EQ(rig.clock.now, start);
}

}  // namespace
}  // namespace kamt
