// kamt through the simulated meter's Hayes modem: the dial before the command, the hang-up
// after it, and a dial that is never answered.
#include "e2e_fixture.h"

namespace kamt::test {
namespace {

class ModemOverSerial : public E2eTest {
 protected:
  QStringList Dial(const QStringList& options) const {
    return Serial(QStringList{"--modem", "12345"} + options + QStringList{"current"});
  }
};

// The hang-up leaves the modem in command mode: the next call dials again.
TEST_F(ModemOverSerial, DialReadAndHangUpTwice) {
  StartSim({"--modem", "--modem-echo", "off", "--serial-number", "4321"});
  for (int call = 0; call < 2; ++call) {
    const ProgramResult r = Kamt(Dial({}));
    ASSERT_EQ(r.exitCode, 0) << call << ": " << r.err;
    EXPECT_EQ(Lines(r.out).at(7), "Зав. номер: 4321");
    EXPECT_EQ(r.err, ">>ATD12345\nОжидание ответа от модема...\n<<\nCONNECT 9600\nОтвет получен\n"
                     "Соединение установлено\nКомандный режим\nСоединение разорвано\n");
  }
}

TEST_F(ModemOverSerial, AModemThatNeverAnswersIsGivenUpAtTheLimitOrByCtrlC) {
  StartSim({"--modem", "--modem-silent"});
  const ProgramResult r = Kamt(Dial({"--dial-timeout", "2"}));
  EXPECT_EQ(std::tuple(r.exitCode, r.out), std::tuple(1, ""));
  EXPECT_EQ(r.err, ">>ATD12345\nОжидание ответа от модема...\nkamt: the modem did not answer the dial within 2 s\n");
  KamtRun run(Dial({}), WorkDir());
  ASSERT_TRUE(run.WaitFor([](const std::string& err) { return Has(err, "Ожидание ответа от модема...\n"); }));
  run.Interrupt();
  const ProgramResult cancelled = run.Finish();
  EXPECT_EQ(std::tuple(cancelled.exitCode, cancelled.out), std::tuple(1, ""));
  EXPECT_TRUE(cancelled.err.ends_with("Ожидание ответа от модема...\nПрервано пользователем\n")) << cancelled.err;
}

}  // namespace
}  // namespace kamt::test
