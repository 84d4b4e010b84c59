#include <gtest/gtest.h>

#include "cli/console_window.h"
#include "cli_harness.h"
#include "hex.h"
#include "link/serial_transact.h"

namespace kamt {
namespace {

using test::Hex;

const std::vector<std::uint8_t> kOk = Hex("0D 0A 4F 4B 0D 0A");

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

// A current-data answer whose registers are all zero.
std::vector<std::uint8_t> CurrentDataAnswer() {
  std::vector<std::uint8_t> frame = Hex("01 04 60");
  frame.resize(3 + 96);
  return test::WithCrc(frame);
}

class ModemCliTest : public test::CliHarness {
 protected:
  std::vector<std::string> Written() const {
    std::vector<std::string> texts;
    for (const auto& bytes : port.written) texts.emplace_back(bytes.begin(), bytes.end());
    return texts;
  }
  bool SaysLine(const std::string& line) const {
    return ("\n" + err.str()).find("\n" + line + "\n") != std::string::npos;
  }
};

TEST_F(ModemCliTest, DialsReadsAndHangsUp) {
  port.ReplyWith(Bytes("\r\nCONNECT 9600\r\n"));
  port.ReplyWith(CurrentDataAnswer());
  port.ReplyWith(kOk);
  port.ReplyWith(kOk);
  EXPECT_EQ(Run({"--serial", "/dev/ttyX", "--modem", "5551234", "current"}), kExitOk) << err.str();
  const std::vector<std::string> written = Written();
  ASSERT_EQ(written.size(), 4u);
  EXPECT_EQ(written[0], "ATD5551234\r");
  EXPECT_EQ(port.written[1], Hex("01 04 10 00 00 30 F4 DE"));
  EXPECT_EQ(written[2], "+++");
  EXPECT_EQ(written[3], "ATH\r");
  EXPECT_EQ(OutLines().size(), 12u);
  EXPECT_EQ(err.str(),
            ">>ATD5551234\n"
            "Ожидание ответа от модема...\n"
            "<<\n"
            "CONNECT 9600\n"
            "Ответ получен\n"
            "Соединение установлено\n"
            "Командный режим\n"
            "Соединение разорвано\n");
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(ModemCliTest, ANumberNotReachedRunsNoCommand) {
  for (const char* answer : {"\r\nBUSY\r\n", "\r\nNO CARRIER\r\n", "\r\nNO DIALTONE\r\n", "\r\nERROR\r\n"}) {
    port.written.clear();
    port.ReplyWith(Bytes(answer));
    EXPECT_EQ(Run({"--serial", "/dev/ttyX", "--modem", "5551234", "current"}), kExitFailed);
    EXPECT_EQ(port.written.size(), 1u) << answer;
    EXPECT_TRUE(SaysLine("Соединение не установлено")) << err.str();
    EXPECT_EQ(out.str(), "");
    EXPECT_FALSE(port.IsOpen());
  }
}

TEST_F(ModemCliTest, ADialWithoutAnAnswerEndsAtItsLimit) {
  port.ReplySilence();
  const std::uint64_t start = clock.now;
  EXPECT_EQ(Run({"--serial", "/dev/ttyX", "--modem", "1", "--dial-timeout", "5", "current"}), kExitFailed);
  EXPECT_GE(clock.now - start, 5000u);
  EXPECT_LE(clock.now - start, 5000u + 2 * ReadStopPollMs);
  EXPECT_TRUE(SaysLine("kamt: the modem did not answer the dial within 5 s")) << err.str();
  EXPECT_EQ(port.written.size(), 1u);
}

TEST_F(ModemCliTest, TheDefaultLimitIsAMinute) {
  port.ReplySilence();
  const std::uint64_t start = clock.now;
  EXPECT_EQ(Run({"--serial", "/dev/ttyX", "--modem", "1", "current"}), kExitFailed);
  EXPECT_GE(clock.now - start, 60'000u);
  EXPECT_LE(clock.now - start, 60'000u + 2 * ReadStopPollMs);
}

TEST_F(ModemCliTest, CtrlCIsCancel) {
  port.ReplySilence();
  // The interrupt arrives while the dial waits for its answer.
  port.onWrite = [](std::span<const std::uint8_t>) { EXPECT_TRUE(RequestConsoleInterrupt()); };
  EXPECT_EQ(Run({"--serial", "/dev/ttyX", "--modem", "1", "current"}), kExitFailed);
  EXPECT_TRUE(SaysLine("Прервано пользователем")) << err.str();
  EXPECT_EQ(port.written.size(), 1u);
  // Once the dial is over, Ctrl+C ends the program as it always does.
  EXPECT_FALSE(RequestConsoleInterrupt());
}

TEST_F(ModemCliTest, AFailedCommandStillHangsUp) {
  port.ReplyWith(Bytes("\r\nCONNECT 9600\r\n"));
  port.ReplySilence();
  port.ReplyWith(kOk);
  port.ReplyWith(kOk);
  EXPECT_EQ(Run({"--serial", "/dev/ttyX", "--modem", "1", "current"}), kExitFailed);
  const std::vector<std::string> written = Written();
  ASSERT_EQ(written.size(), 4u);
  EXPECT_EQ(written[2], "+++");
  EXPECT_TRUE(SaysLine("Устройство не отвечает!")) << err.str();
  EXPECT_TRUE(SaysLine("Соединение разорвано")) << err.str();
}

struct HangUpCase {
  const char* name;
  std::vector<std::vector<std::uint8_t>> replies;  // to "+++" and to "ATH"
  std::string said;
};

void PrintTo(const HangUpCase& c, std::ostream* os) { *os << c.name; }

class ModemCliHangUp : public ModemCliTest, public ::testing::WithParamInterface<HangUpCase> {};

// The command's result stands; how far the hang-up got is said.
TEST_P(ModemCliHangUp, SaysHowFarItGot) {
  port.ReplyWith(Bytes("\r\nCONNECT 9600\r\n"));
  port.ReplyWith(CurrentDataAnswer());
  for (const auto& reply : GetParam().replies) {
    if (reply.empty()) {
      port.ReplySilence();
    } else {
      port.ReplyWith(reply);
    }
  }
  EXPECT_EQ(Run({"--serial", "/dev/ttyX", "--modem", "1", "current"}), kExitOk);
  EXPECT_TRUE(err.str().ends_with("Соединение установлено\n" + GetParam().said)) << err.str();
  EXPECT_FALSE(port.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ModemCliHangUp,
    ::testing::Values(
        HangUpCase{"Confirmed", {kOk, kOk}, "Командный режим\nСоединение разорвано\n"},
        // An echoing modem sends "ATH" CR back before its OK: the six bytes hold no "OK".
        HangUpCase{"EchoedAth",
                   {kOk, Bytes("ATH\r\r\nOK\r\n")},
                   "Командный режим\nkamt: the hang-up was not confirmed: no \"OK\" among the 6 bytes after ATH\n"},
        HangUpCase{"NoAnswerToPlusPlusPlus",
                   {{}},
                   "kamt: the modem did not answer \"+++\" with \"OK\": the line may still be up\n"}),
    [](const auto& c) { return std::string(c.param.name); });

struct UsageCase {
  std::vector<std::string> args;
  std::string error;
};

TEST_F(ModemCliTest, OptionsThatDoNotGoTogether) {
  const UsageCase cases[] = {
      {{"--modem", "1", "current"},
       "kamt: --modem needs --serial DEVICE, the line the modem is on (see kamt --help)\n"},
      {{"--tcp", "10.0.0.1", "--modem", "1", "current"},
       "kamt: --modem needs --serial DEVICE, the line the modem is on (see kamt --help)\n"},
      {{"--serial", "/dev/ttyX", "--tcp", "10.0.0.1", "--modem", "1", "current"},
       "kamt: --modem dials on the serial line, not over --tcp (see kamt --help)\n"},
      {{"--serial", "/dev/ttyX", "--dial-timeout", "5", "current"},
       "kamt: --dial-timeout goes with --modem (see kamt --help)\n"},
      {{"--serial", "/dev/ttyX", "--modem", "1", "--dial-timeout", "0", "current"},
       "kamt: --dial-timeout takes a whole number from 1 to 3600 (see kamt --help)\n"},
      {{"--serial", "/dev/ttyX", "--modem"}, "kamt: --modem needs a value (see kamt --help)\n"},
  };
  for (const UsageCase& c : cases) {
    EXPECT_EQ(Run(c.args), kExitUsage);
    EXPECT_EQ(err.str(), c.error);
  }
  EXPECT_TRUE(port.written.empty());
}

}  // namespace
}  // namespace kamt
