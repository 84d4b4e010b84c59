// Something other than an answer on the line: a connection reset, a burst of random bytes, an
// answer that never ends. Each is reported as what it is, within the time-outs, and the meter
// answers the next command normally (--fault-times 1).
#include "fault_fixture.h"

namespace kamt::test {
namespace {

class LineFault : public FaultTest {
 protected:
  // A meter with the fault on its first request only, and what `kamt COMMAND` makes of it.
  ProgramResult RunWithFault(bool serial, const QString& fault, const QStringList& command) {
    StartMeter({"--fault", fault, "--fault-times", "1"});
    return KamtRun(Over(serial, command), WorkDir()).Finish();
  }
};

struct Case {
  const char* name;
  bool serial;
  const char* fault;
  const char* err;  // everything kamt prints on stderr
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class LineFaultCase : public LineFault, public ::testing::WithParamInterface<Case> {};

TEST_P(LineFaultCase, IsReportedAsWhatItIsAndTheNextCommandWorks) {
  const Case& c = GetParam();
  const ProgramResult r = RunWithFault(c.serial, c.fault, {"current"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, c.err);
  EXPECT_EQ(r.out, "");
  ExpectNextCommandWorks(c.serial);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LineFaultCase,
    ::testing::Values(
        Case{"SerialNoise", true, "noise:40", "Ошибка CRC!\nОшибка чтения\nПринято 40 байт\n"},
        // More than the answer's length: the read takes what it asked for, the rest is purged
        // before the next request.
        Case{"SerialNoiseLongerThanTheAnswer", true, "noise:600", "Ошибка CRC!\nОшибка чтения\nПринято 101 байт\n"},
        Case{"TcpNoise", false, "noise:40", "Чтение данных\nНеправильный идентификатор пакета!\n"},
        // Shorter than a header: refused as a length, whatever its bytes.
        Case{"TcpNoiseShorterThanAHeader", false, "noise:5", "Чтение данных\nНеправильная длина пакета!\n"},
        // The frame announces more than ever comes: the 3 s limit ends the wait.
        Case{"TcpEndlessAnswer", false, "endless", "Чтение данных\nНеправильная длина пакета!\n"}),
    [](const auto& c) { return std::string(c.param.name); });

// The connection closed in an orderly way or reset while the answer is awaited.
TEST_F(LineFault, TcpConnectionGoneWhileTheAnswerIsAwaited) {
  for (const char* fault : {"drop", "reset"}) {
    SCOPED_TRACE(fault);
    const ProgramResult r = RunWithFault(false, fault, {"current"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.starts_with("Чтение данных\n")) << r.err;
    EXPECT_TRUE(Has(r.err, "Нет соединения с 127.0.0.1, порт:")) << r.err;
    EXPECT_EQ(r.out, "");
    ExpectNextCommandWorks(false);
    Sim().Kill();  // the next meter takes the same port
  }
}

// Bytes that keep coming never end the read by themselves: the read of the clock (19 bytes
// expected, at most 5.8 s) ends at its total time-out with fewer bytes than it asked for.
TEST_F(LineFault, SerialEndlessAnswerEndsAtTheTotalTimeout) {
  const ProgramResult r = RunWithFault(true, "endless:400", {"clock", "read"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.starts_with("Ошибка CRC!\nОшибка чтения\nПринято ")) << r.err;
  const int received = Number(r.err, "Принято (\\d+) байт\n");
  EXPECT_GT(received, 0) << r.err;
  EXPECT_LT(received, 19) << "the time-out ended the read, not the count: " << r.err;
  ExpectNextCommandWorks(true);
}

// A write answered by noise is reported as failed, never as done.
TEST_F(LineFault, WriteAnsweredByNoiseIsNotReportedDone) {
  for (const bool serial : {true, false}) {
    SCOPED_TRACE(serial ? "serial" : "tcp");
    const ProgramResult r = RunWithFault(serial, "noise:8", {"clock", "write", "01.02.2030 10:20:30"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(Has(r.out, "Запись выполнена")) << r.out;
    const ProgramResult read = Kamt(Over(serial, {"clock", "read"}));
    ASSERT_EQ(read.exitCode, 0) << read.err;
    EXPECT_FALSE(read.out.starts_with("01.02.2030")) << "the meter did not act on it: " << read.out;
    Sim().Kill();  // the next meter takes the same line and port
  }
}

}  // namespace
}  // namespace kamt::test
