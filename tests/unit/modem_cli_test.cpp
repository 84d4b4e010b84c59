#include <gtest/gtest.h>

#include "cli/console_window.h"
#include "cli_harness.h"
#include "hex.h"
#include "link/serial_line.h"

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
  int Dial(std::vector<std::string> options = {}) {
    std::vector<std::string> args = {"--serial", "/dev/ttyX", "--modem", "5551234"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("current");
    return Run(args);
  }
  // Each reply in turn; an empty one is silence.
  void Replies(const std::vector<std::vector<std::uint8_t>>& replies) {
    for (const auto& reply : replies) reply.empty() ? port.ReplySilence() : port.ReplyWith(reply);
  }
  bool SaysLine(const std::string& line) const {
    return ("\n" + err.str()).find("\n" + line + "\n") != std::string::npos;
  }
};

// A dial, the command, the hang-up. A number not reached runs no command; a failed command
// still hangs up.
TEST_F(ModemCliTest, DialsReadsAndHangsUp) {
  Replies({Bytes("\r\nCONNECT 9600\r\n"), CurrentDataAnswer(), kOk, kOk});
  EXPECT_EQ(Dial(), kExitOk) << err.str();
  EXPECT_EQ(port.written, (std::vector<std::vector<std::uint8_t>>{Bytes("ATD5551234\r"), Hex("01 04 10 00 00 30 F4 DE"),
                                                                  Bytes("+++"), Bytes("ATH\r")}));
  EXPECT_EQ(OutLines().size(), 12u);
  EXPECT_EQ(err.str(),
            ">>ATD5551234\nОжидание ответа от модема...\n<<\nCONNECT 9600\nОтвет получен\n"
            "Соединение установлено\nКомандный режим\nСоединение разорвано\n");
  EXPECT_FALSE(port.IsOpen());
  port.written.clear();
  port.ReplyWith(Bytes("\r\nBUSY\r\n"));
  EXPECT_EQ(Dial(), kExitFailed);
  EXPECT_EQ(port.written.size(), 1u);
  EXPECT_TRUE(SaysLine("Соединение не установлено")) << err.str();
  EXPECT_EQ(out.str(), "");
  Replies({Bytes("\r\nCONNECT 9600\r\n"), {}, kOk, kOk});
  EXPECT_EQ(Dial(), kExitFailed);
  EXPECT_TRUE(SaysLine("Устройство не отвечает!") && SaysLine("Соединение разорвано")) << err.str();
}

// A dial without an answer ends at its limit, a minute unless given; Ctrl+C is "Отмена", and
// once the dial is over Ctrl+C ends the program as it always does.
TEST_F(ModemCliTest, ADialWithoutAnAnswerEndsAtItsLimitOrByCtrlC) {
  const std::pair<std::vector<std::string>, std::uint64_t> cases[] = {{{"--dial-timeout", "5"}, 5000u}, {{}, 60'000u}};
  for (const auto& [options, limitMs] : cases) {
    port.ReplySilence();
    const std::uint64_t start = clock.now;
    EXPECT_EQ(Dial(options), kExitFailed);
    EXPECT_GE(clock.now - start, limitMs);
    EXPECT_LE(clock.now - start, limitMs + 2 * ReadStopPollMs);
    EXPECT_TRUE(SaysLine("kamt: the modem did not answer the dial within " + std::to_string(limitMs / 1000) + " s"))
        << err.str();
  }
  port.ReplySilence();
  port.onWrite = [](std::span<const std::uint8_t>) { EXPECT_TRUE(RequestConsoleInterrupt()); };
  EXPECT_EQ(Dial(), kExitFailed);
  EXPECT_TRUE(SaysLine("Прервано пользователем")) << err.str();
  EXPECT_EQ(port.written.size(), 3u);
  EXPECT_FALSE(RequestConsoleInterrupt());
}

// The command's result stands; how far the hang-up got is said.
TEST_F(ModemCliTest, TheHangUpSaysHowFarItGot) {
  const std::pair<std::vector<std::vector<std::uint8_t>>, std::string> cases[] = {
      // An echoing modem sends "ATH" CR back before its OK: the six bytes hold no "OK".
      {{kOk, Bytes("ATH\r\r\nOK\r\n")},
       "Командный режим\nkamt: the hang-up was not confirmed: no \"OK\" among the 6 bytes after ATH\n"},
      {{{}}, "kamt: the modem did not answer \"+++\" with \"OK\": the line may still be up\n"}};
  for (const auto& [hangUpReplies, said] : cases) {
    Replies({Bytes("\r\nCONNECT 9600\r\n"), CurrentDataAnswer()});
    Replies(hangUpReplies);
    EXPECT_EQ(Dial(), kExitOk);
    EXPECT_TRUE(err.str().ends_with("Соединение установлено\n" + said)) << err.str();
    EXPECT_FALSE(port.IsOpen());
  }
}

TEST_F(ModemCliTest, OptionsThatDoNotGoTogether) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--tcp", "10.0.0.1", "--modem", "1", "current"}, "--modem needs --serial DEVICE, the line the modem is on"},
      {{"--serial", "/dev/ttyX", "--tcp", "10.0.0.1", "--modem", "1", "current"},
       "--modem dials on the serial line, not over --tcp"},
      {{"--serial", "/dev/ttyX", "--dial-timeout", "5", "current"}, "--dial-timeout goes with --modem"},
      {{"--serial", "/dev/ttyX", "--modem", "1", "--dial-timeout", "0", "current"},
       "--dial-timeout takes a whole number from 1 to 3600"},
  };
  for (const auto& [args, error] : cases) {
    EXPECT_EQ(Run(args), kExitUsage);
    EXPECT_EQ(err.str(), "kamt: " + error + " (see kamt --help)\n");
  }
  EXPECT_TRUE(port.written.empty());
}

}  // namespace
}  // namespace kamt
