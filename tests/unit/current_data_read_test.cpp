#include <gtest/gtest.h>

#include "hex.h"
#include "meter/current_data_read.h"
#include "meter/registers.h"
#include "test_rig.h"

namespace kamt {
namespace {

using test::Hex;
using test::WithCrc;

// The meter's answer: `count` bytes of the block, with the serial number and five hour records.
std::vector<std::uint8_t> CurrentDataAnswer(std::uint16_t serial, std::uint8_t count = 96) {
  std::vector<std::uint8_t> frame = {0x01, 0x04, count};
  frame.resize(3 + 96);
  RegisterWriter regs{std::span(frame).subspan(3)};
  regs.U16(29, serial);
  regs.U16(30, 5);
  frame.resize(3u + count);
  return WithCrc(frame);
}

class Button1ClickTest : public ::testing::Test {
 protected:
  test::TestRig rig;
  test::FakeWindow& window = rig.window;
};

// While the request waits for its answer the commands are locked and a second one is refused.
TEST_F(Button1ClickTest, SerialRequestLocksTheCommandsUntilItEnds) {
  rig.session.link.LinkSettings.NetAddr = 0x1F7;  // only the low byte goes on the line
  rig.port.onWrite = [&](auto) {
    for (const char* g : {"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox6", "GroupBox7", "GroupBox8"}) {
      EXPECT_FALSE(window.Enabled(g)) << g;
    }
  };
  int nested = 0;
  window.onProcessEvents = [&] {
    if (nested++ == 0) {
      EXPECT_FALSE(Button1Click(rig.session));
    }
  };
  rig.port.ReplySilence();
  Button1Click(rig.session);
  ASSERT_EQ(rig.port.written.size(), 1u);
  EXPECT_EQ(test::ToHex(rig.port.written[0]), test::ToHex(WithCrc(Hex("F7 04 10 00 00 30"))));
  EXPECT_TRUE(window.Enabled("GroupBox1"));
  EXPECT_TRUE(window.Enabled("GroupBox8"));
  EXPECT_TRUE(window.Entries("GroupBox9").empty());
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

struct FailureCase {
  const char* name;
  std::vector<std::uint8_t> reply;  // empty: silence
  const char* message;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class Button1ClickFailure : public Button1ClickTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(Button1ClickFailure, ShowsTheMessageThenTheFailureTextAndKeepsTheLastData) {
  rig.port.ReplyWith(CurrentDataAnswer(1));
  ASSERT_TRUE(Button1Click(rig.session));
  const FailureCase& c = GetParam();
  c.reply.empty() ? rig.port.ReplySilence() : rig.port.ReplyWith(c.reply);
  window.log.clear();
  EXPECT_FALSE(Button1Click(rig.session));
  const std::string message = std::string("message ") + c.message;
  EXPECT_EQ(window.Entries("message"), std::vector<std::string>{message});
  const auto shown = std::find(window.log.begin(), window.log.end(), message);
  EXPECT_NE(std::find(shown, window.log.end(), "panel1 Ошибка чтения"), window.log.end()) << "text after message";
  EXPECT_EQ(rig.session.CurrentData.SerialNumber, 1);
  EXPECT_EQ(window.Text("Label6"), "Зав. номер: 1");
  EXPECT_TRUE(window.Enabled("GroupBox1"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Button1ClickFailure,
    ::testing::Values(FailureCase{"Silent", {}, "Устройство не отвечает!"},
                      FailureCase{"Crc", [] { auto f = CurrentDataAnswer(9); f.back() ^= 0xFF; return f; }(),
                                  "Ошибка CRC!"},
                      FailureCase{"ShortBlock", CurrentDataAnswer(9, 94), "Неправильная длина ответа!"},
                      FailureCase{"TwoBytesOfCrc", Hex("FF FF"), "Неправильная длина ответа!"}),
    [](const auto& c) { return std::string(c.param.name); });

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
