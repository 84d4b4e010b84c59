// kamt through the simulated meter's Hayes modem: the dial before the command, the hang-up
// after it, and the dials that do not reach the meter.
#include <QProcess>
#include <csignal>

#include "e2e_fixture.h"

namespace kamt::test {
namespace {

class ModemOverSerial : public E2eTest {
 protected:
  QStringList Dial(const std::string& number, const QStringList& command) const {
    return Serial(QStringList{"--modem", QString::fromStdString(number)} + command);
  }
  static bool Says(const ProgramResult& r, const std::string& line) {
    return ("\n" + r.err).find("\n" + line + "\n") != std::string::npos;
  }

  // kamt started and sent a Ctrl+C once its error stream holds `text`.
  ProgramResult RunAndInterruptAfter(const QStringList& args, const std::string& text) {
    QProcess kamt;
    PrepareKamt(kamt, args, QString::fromStdString(dir.path.string()));
    kamt.setReadChannel(QProcess::StandardError);
    kamt.start();
    ProgramResult r;
    bool sent = false;
    while (!sent && kamt.waitForReadyRead(30000)) {
      r.err += kamt.readAllStandardError().toStdString();
      sent = r.err.find(text) != std::string::npos;
    }
    if (sent) ::kill(static_cast<pid_t>(kamt.processId()), SIGINT);
    if (!kamt.waitForFinished(30000)) kamt.kill();
    r.exitCode = kamt.exitStatus() == QProcess::NormalExit ? kamt.exitCode() : -1;
    r.out = kamt.readAllStandardOutput().toStdString();
    r.err += kamt.readAllStandardError().toStdString();
    return r;
  }
};

TEST_F(ModemOverSerial, DialReadAndHangUp) {
  StartSim({"--modem", "--modem-echo", "off", "--serial-number", "4321"});
  const ProgramResult r = Kamt(Dial("5551234", {"current"}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 12u) << r.out;
  EXPECT_EQ(lines[7], "Зав. номер: 4321");
  EXPECT_EQ(r.err,
            ">>ATD5551234\n"
            "Ожидание ответа от модема...\n"
            "<<\n"
            "CONNECT 9600\n"
            "Ответ получен\n"
            "Соединение установлено\n"
            "Командный режим\n"
            "Соединение разорвано\n");
}

// An echoing modem sends "ATH" CR back before its "OK", so the six bytes read after ATH hold
// no "OK": the hang-up happens, but it is not confirmed.
TEST_F(ModemOverSerial, AnEchoingModemLeavesTheHangUpUnconfirmed) {
  StartSim({"--modem"});
  const ProgramResult r = Kamt(Dial("12345", {"current"}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Says(r, "<<ATD12345")) << r.err;
  EXPECT_TRUE(Says(r, "Соединение установлено")) << r.err;
  EXPECT_TRUE(Says(r, "Командный режим")) << r.err;
  EXPECT_FALSE(Says(r, "Соединение разорвано")) << r.err;
  EXPECT_TRUE(Says(r, "kamt: the hang-up was not confirmed: no \"OK\" among the 6 bytes after ATH")) << r.err;
}

// The hang-up leaves the modem in command mode: the next call dials again.
TEST_F(ModemOverSerial, TwoCallsInARow) {
  StartSim({"--modem", "--modem-echo", "off"});
  for (int call = 0; call < 2; ++call) {
    const ProgramResult r = Kamt(Dial("12345", {"clock", "read"}));
    EXPECT_EQ(r.exitCode, 0) << call << ": " << r.err;
    EXPECT_TRUE(Says(r, "Соединение разорвано")) << r.err;
  }
}

TEST_F(ModemOverSerial, ANumberNotReachedRunsNoCommand) {
  StartSim({"--modem", "--busy", "100", "--no-carrier", "200", "--no-dialtone", "300"});
  for (const auto& [number, answer] : {std::pair{"100", "BUSY"}, {"200", "NO CARRIER"}, {"300", "NO DIALTONE"}}) {
    const ProgramResult r = Kamt(Dial(number, {"current"}));
    EXPECT_EQ(r.exitCode, 1) << number;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(Says(r, answer)) << r.err;
    EXPECT_TRUE(r.err.ends_with("Ответ получен\nСоединение не установлено\n")) << r.err;
  }
}

TEST_F(ModemOverSerial, AModemThatNeverAnswersIsGivenUpAtTheLimit) {
  StartSim({"--modem", "--modem-silent"});
  const ProgramResult r = Kamt(Dial("12345", {"--dial-timeout", "2", "current"}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            ">>ATD12345\n"
            "Ожидание ответа от модема...\n"
            "kamt: the modem did not answer the dial within 2 s\n");
}

TEST_F(ModemOverSerial, CtrlCCancelsTheDial) {
  StartSim({"--modem", "--modem-silent"});
  const ProgramResult r = RunAndInterruptAfter(Dial("12345", {"current"}), "Ожидание ответа от модема...\n");
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(r.err.ends_with("Ожидание ответа от модема...\nПрервано пользователем\n")) << r.err;
}

}  // namespace
}  // namespace kamt::test
