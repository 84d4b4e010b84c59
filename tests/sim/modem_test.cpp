#include "modem.h"

#include <gtest/gtest.h>

#include <string>

namespace kamt::sim {
namespace {

constexpr Millis kGuard = 900;

ModemConfig Config(bool echo = true, bool silent = false) {
  ModemConfig c;
  c.echo = echo;
  c.silent = silent;
  c.busy = {"222"};
  c.noCarrier = {"333"};
  c.noDialtone = {"444"};
  return c;
}

// What the modem says back to the computer after `text` arrives at `at`.
std::string Send(Modem& modem, std::string_view text, Millis at) {
  modem.Receive(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), at);
  return modem.TakeToLine();
}

class SimModem : public ::testing::Test {
 protected:
  std::string Send(std::string_view text, Millis at) { return sim::Send(modem_, text, at); }
  std::string AdvanceTo(Millis at) {
    modem_.Advance(at);
    return modem_.TakeToLine();
  }
  std::string ToMeter() {
    const auto bytes = modem_.TakeToMeter();
    return {bytes.begin(), bytes.end()};
  }
  void GoOnline() {
    Send("ATD123\r", 0);
    AdvanceTo(300);
    ASSERT_EQ(modem_.state(), Modem::State::Online);
  }

  Modem modem_{Config()};
};

TEST_F(SimModem, EchoesAndAnswersCommands) {
  EXPECT_EQ(Send("AT\r", 0), "AT\r\r\nOK\r\n");
  EXPECT_EQ(Send("at", 10), "at");
  EXPECT_EQ(Send("h0\r", 20), "h0\r\r\nOK\r\n");
  EXPECT_EQ(Send("\x01\x03junk atH\r", 25), "\x01\x03junk atH\r\r\nOK\r\n");  // the command begins at "AT"
  EXPECT_EQ(Send("ATZ\r", 30), "ATZ\r\r\nERROR\r\n");
  EXPECT_EQ(Send("\r", 40), "\r");  // an empty line is no command
  Modem quiet(Config(false));
  EXPECT_EQ(sim::Send(quiet, "AT\r", 0), "\r\nOK\r\n");
}

TEST(SimModemDial, AnswersAfterTheDialDelayByNumber) {
  const std::pair<const char*, const char*> results[] = {
      {"ATD123\r", "\r\nCONNECT 9600\r\n"}, {"ATD222\r", "\r\nBUSY\r\n"},
      {"ATDT333\r", "\r\nNO CARRIER\r\n"},  {"ATD444\r", "\r\nNO DIALTONE\r\n"}};
  for (const auto& [command, answer] : results) {
    Modem modem(Config());
    EXPECT_EQ(Send(modem, command, 1000), command);
    EXPECT_EQ(modem.Deadline(), 1300);
    modem.Advance(1299);
    EXPECT_EQ(modem.TakeToLine(), "");
    modem.Advance(1300);
    EXPECT_EQ(modem.TakeToLine(), answer) << command;
    EXPECT_EQ(modem.state() == Modem::State::Online, std::string(answer).find("CONNECT") != std::string::npos);
  }
  Modem silent(Config(true, true));
  Send(silent, "ATD123\r", 0);
  EXPECT_FALSE(silent.Deadline().has_value());
  silent.Advance(600'000);
  EXPECT_EQ(silent.TakeToLine(), "");
  EXPECT_NE(silent.state(), Modem::State::Online);
}

TEST_F(SimModem, EscapeWithGuardTimesReturnsToCommandMode) {
  GoOnline();
  EXPECT_EQ(Send("\x01\x04\x10", 400), "");  // online bytes pass to the meter without echo
  EXPECT_EQ(ToMeter(), "\x01\x04\x10");
  EXPECT_EQ(Send("+++", 400 + kGuard), "");
  EXPECT_EQ(AdvanceTo(400 + 2 * kGuard - 1), "");
  EXPECT_EQ(modem_.Deadline(), 400 + 2 * kGuard);
  EXPECT_EQ(AdvanceTo(400 + 2 * kGuard), "\r\nOK\r\n");
  EXPECT_EQ(ToMeter(), "");
  EXPECT_EQ(modem_.state(), Modem::State::Command);
  // Now nothing reaches the meter, and the call ends with ATH.
  const std::string request("\x01\x04\x10\x00\x00\x02\x75\x0B", 8);
  EXPECT_EQ(Send(request, 4000), request);
  EXPECT_EQ(Send("ATH\r", 5000), "ATH\r\r\nOK\r\n");
  EXPECT_EQ(ToMeter(), "");
}

TEST_F(SimModem, EscapeWithoutGuardTimeIsJustData) {
  GoOnline();
  Send("\x01", 1000);
  Send("+++", 1000 + kGuard - 1);  // too soon after the last byte
  AdvanceTo(5000);
  EXPECT_EQ(modem_.state(), Modem::State::Online);
  EXPECT_EQ(ToMeter(), "\x01+++");

  Send("+++", 6000);
  Send("\x02", 6000 + kGuard - 1);  // a byte inside the guard time after
  AdvanceTo(9000);
  EXPECT_EQ(modem_.state(), Modem::State::Online);
  EXPECT_EQ(ToMeter(), "+++\x02");

  Send("++", 10000);  // only two escape characters
  EXPECT_EQ(AdvanceTo(12000), "");
  EXPECT_EQ(modem_.state(), Modem::State::Online);
  EXPECT_EQ(ToMeter(), "++");
}

}  // namespace
}  // namespace kamt::sim
