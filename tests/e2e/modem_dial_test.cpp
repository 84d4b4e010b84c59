// kamt through the simulated meter's Hayes modem: the dial before the command, the hang-up
// after it, and a dial that is never answered.
#include "e2e_fixture.h"

namespace kamt::test {
namespace {

class ModemOverSerial : public E2eTest {
 protected:
  QStringList Dial(const std::string& number, const QStringList& command) const {
    return Serial(QStringList{"--modem", QString::fromStdString(number)} + command);
  }
  static bool Says(const ProgramResult& r, const std::string& line) { return Has("\n" + r.err, "\n" + line + "\n"); }
};

// The hang-up leaves the modem in command mode: the next call dials again.
TEST_F(ModemOverSerial, DialReadAndHangUpTwice) {
  StartSim({"--modem", "--modem-echo", "off", "--serial-number", "4321"});
  for (int call = 0; call < 2; ++call) {
    const ProgramResult r = Kamt(Dial("5551234", {"current"}));
    ASSERT_EQ(r.exitCode, 0) << call << ": " << r.err;
    EXPECT_EQ(Lines(r.out).at(7), "Зав. номер: 4321");
    EXPECT_EQ(r.err,
              ">>ATD5551234\nОжидание ответа от модема...\n<<\nCONNECT 9600\nОтвет получен\n"
              "Соединение установлено\nКомандный режим\nСоединение разорвано\n");
  }
}

// An echoing modem sends "ATH" CR back before its "OK", so the six bytes read after ATH hold
// no "OK": the hang-up happens, but it is not confirmed.
TEST_F(ModemOverSerial, AnEchoingModemLeavesTheHangUpUnconfirmed) {
  StartSim({"--modem"});
  const ProgramResult r = Kamt(Dial("12345", {"current"}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Says(r, "<<ATD12345")) << r.err;
  EXPECT_TRUE(Says(r, "Командный режим")) << r.err;
  EXPECT_FALSE(Says(r, "Соединение разорвано")) << r.err;
  EXPECT_TRUE(Says(r, "kamt: the hang-up was not confirmed: no \"OK\" among the 6 bytes after ATH")) << r.err;
}

// A number the modem does not reach runs no command and exits 1.
TEST_F(ModemOverSerial, ANumberNotReachedRunsNoCommand) {
  StartSim({"--modem", "--busy", "100", "--no-carrier", "200"});
  for (const auto& [number, answer] : {std::pair{"100", "BUSY"}, {"200", "NO CARRIER"}}) {
    const ProgramResult r = Kamt(Dial(number, {"current"}));
    EXPECT_EQ(r.exitCode, 1) << number;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(Says(r, answer)) << r.err;
    EXPECT_TRUE(r.err.ends_with("Ответ получен\nСоединение не установлено\n")) << r.err;
  }
}

TEST_F(ModemOverSerial, AModemThatNeverAnswersIsGivenUpAtTheLimitOrByCtrlC) {
  StartSim({"--modem", "--modem-silent"});
  const ProgramResult r = Kamt(Dial("12345", {"--dial-timeout", "2", "current"}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, ">>ATD12345\nОжидание ответа от модема...\nkamt: the modem did not answer the dial within 2 s\n");

  KamtRun run(Dial("12345", {"current"}), WorkDir());
  ASSERT_TRUE(run.WaitFor([](const std::string& err) { return Has(err, "Ожидание ответа от модема...\n"); }));
  run.Interrupt();
  const ProgramResult cancelled = run.Finish();
  EXPECT_EQ(cancelled.exitCode, 1) << cancelled.err;
  EXPECT_EQ(cancelled.out, "");
  EXPECT_TRUE(cancelled.err.ends_with("Ожидание ответа от модема...\nПрервано пользователем\n")) << cancelled.err;
}

}  // namespace
}  // namespace kamt::test
