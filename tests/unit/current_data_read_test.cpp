#include <gtest/gtest.h>

#include "hex.h"
#include "meter/current_data_read.h"
#include "meter/registers.h"
#include "test_rig.h"

namespace kamt {
namespace {

using test::Hex;
using test::WithCrc;

std::vector<std::uint8_t> CurrentDataAnswer(std::uint16_t serial) {
  std::vector<std::uint8_t> frame = Hex("01 04 60");
  frame.resize(3 + 96);
  RegisterWriter regs{std::span(frame).subspan(3)};
  regs.U16(29, serial);
  regs.U16(30, 5);
  return WithCrc(frame);
}

class Button1ClickTest : public ::testing::Test {
 protected:
  test::TestRig rig;
  test::FakeWindow& window = rig.window;
};

TEST_F(Button1ClickTest, SerialRequestIsTheCurrentDataFrame) {
  rig.session.link.LinkSettings.NetAddr = 0x1F7;  // only the low byte goes on the line
  rig.port.ReplySilence();
  Button1Click(rig.session);
  ASSERT_EQ(rig.port.written.size(), 1u);
  EXPECT_EQ(test::ToHex(rig.port.written[0]), test::ToHex(WithCrc(Hex("F7 04 10 00 00 30"))));
}

TEST_F(Button1ClickTest, GoodAnswerIsDecodedAndShown) {
  rig.port.ReplyWith(CurrentDataAnswer(4321));
  EXPECT_TRUE(Button1Click(rig.session));
  EXPECT_EQ(rig.session.CurrentData.SerialNumber, 4321);
  EXPECT_EQ(window.Text("Label6"), "Зав. номер: 4321");
  EXPECT_EQ(window.Entries("panel1"), (std::vector<std::string>{"panel1 Чтение данных", "panel1 Данные считаны"}));
  EXPECT_TRUE(window.Enabled("Button2"));
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(Button1ClickTest, CommandGroupsAreLockedDuringTheExchange) {
  rig.port.onWrite = [&](auto) {
    for (const char* g : {"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox6", "GroupBox7", "GroupBox8"}) {
      EXPECT_FALSE(window.Enabled(g)) << g;
    }
  };
  rig.port.ReplySilence();
  Button1Click(rig.session);
  EXPECT_TRUE(window.Enabled("GroupBox1"));
  EXPECT_TRUE(window.Enabled("GroupBox8"));
  EXPECT_TRUE(window.Entries("GroupBox9").empty());
}

struct FailureCase {
  const char* name;
  std::vector<std::uint8_t> reply;  // empty: silence
  const char* message;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class Button1ClickFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(Button1ClickFailure, ShowsTheMessageThenTheFailureText) {
  test::TestRig rig;
  rig.port.ReplyWith(CurrentDataAnswer(1));
  ASSERT_TRUE(Button1Click(rig.session));
  const CurrentDataRecord before = rig.session.CurrentData;
  const std::string label = rig.window.Text("Label6");

  if (GetParam().reply.empty()) {
    rig.port.ReplySilence();
  } else {
    rig.port.ReplyWith(GetParam().reply);
  }
  rig.window.log.clear();
  EXPECT_FALSE(Button1Click(rig.session));
  EXPECT_EQ(rig.window.Entries("message"), std::vector<std::string>{std::string("message ") + GetParam().message});
  EXPECT_EQ(rig.window.Entries("panel1").back(), "panel1 Ошибка чтения");
  // The message comes before the failure text.
  const auto& log = rig.window.log;
  EXPECT_LT(std::find(log.begin(), log.end(), std::string("message ") + GetParam().message) - log.begin(),
            std::find(log.begin(), log.end(), "panel1 Ошибка чтения") - log.begin());
  EXPECT_EQ(rig.session.CurrentData.SerialNumber, before.SerialNumber);
  EXPECT_EQ(rig.window.Text("Label6"), label);
  EXPECT_TRUE(rig.window.Enabled("GroupBox1"));
}

std::vector<std::uint8_t> BadCrc() {
  auto frame = CurrentDataAnswer(9);
  frame.back() ^= 0xFF;
  return frame;
}

std::vector<std::uint8_t> ShortAnswer() {
  auto frame = Hex("01 04 5E");
  frame.resize(3 + 94);
  return WithCrc(frame);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Button1ClickFailure,
    ::testing::Values(FailureCase{"Silent", {}, "Устройство не отвечает!"},
                      FailureCase{"Crc", BadCrc(), "Ошибка CRC!"},
                      FailureCase{"Exception", WithCrc(Hex("01 84 02")), "Недопустимый адрес данных!"},
                      FailureCase{"ShortBlock", ShortAnswer(), "Неправильная длина ответа!"},
                      FailureCase{"UnknownFunction", WithCrc(Hex("01 05 00 00")), "Неизвестный тип функции в ответе!"},
                      FailureCase{"TwoBytesOfCrc", Hex("FF FF"), "Неправильная длина ответа!"}),
    [](const auto& c) { return std::string(c.param.name); });

TEST_F(Button1ClickTest, NoPortReportsNoAnswer) {
  rig.port.Close();
  EXPECT_FALSE(Button1Click(rig.session));
  EXPECT_EQ(window.messages, std::vector<std::string>{"Устройство не отвечает!"});
}

TEST_F(Button1ClickTest, SecondCommandDuringAWaitIsRefused) {
  rig.port.ReplySilence();
  int nested = 0;
  window.onProcessEvents = [&] {
    if (nested++ == 0) {
      EXPECT_FALSE(Button1Click(rig.session));
    }
  };
  Button1Click(rig.session);
  EXPECT_EQ(rig.port.written.size(), 1u);
}

TEST_F(Button1ClickTest, TcpRequestIsTheFiveBytePdu) {
  rig.UseTcp();
  rig.socket.responders.push_back([](std::span<const std::uint8_t> sent) {
    std::vector<std::uint8_t> answer(sent.begin(), sent.begin() + 2);
    const auto rest = Hex("00 00 00 63 FF 04 60");
    answer.insert(answer.end(), rest.begin(), rest.end());
    answer.resize(answer.size() + 96);
    answer[9 + 2 * 29 + 1] = 7;  // serial number 7
    return std::vector<test::FakeClientSocket::Segment>{{5, answer}};
  });
  EXPECT_TRUE(Button1Click(rig.session));
  ASSERT_EQ(rig.socket.sent.size(), 1u);
  EXPECT_EQ(test::ToHex(rig.socket.sent[0]), "01 00 00 00 00 06 FF 04 10 00 00 30");
  EXPECT_EQ(rig.session.CurrentData.SerialNumber, 7);
  EXPECT_EQ(window.Text("Label6"), "Зав. номер: 7");
}

TEST_F(Button1ClickTest, TcpTimeoutLeavesTheProgressTextAndShowsNothing) {
  rig.UseTcp();
  const std::uint64_t start = rig.clock.now;
  EXPECT_FALSE(Button1Click(rig.session));
  EXPECT_GT(rig.clock.now - start, 3000u);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(window.StatusText(1), "Чтение данных");
  EXPECT_TRUE(window.Enabled("GroupBox1"));
}

}  // namespace
}  // namespace kamt
