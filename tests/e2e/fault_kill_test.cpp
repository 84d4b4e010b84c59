// The meter gone in the middle of a command: the simulator killed as a crash or a pulled
// cable would end it. kamt must end by itself within its time-outs, keep what it read, say
// what happened, and work again once the meter is back.
#include "fault_fixture.h"

namespace kamt::test {
namespace {

class MeterKilled : public FaultTest {
 protected:
  // `kamt archive hourly` on a slow meter, killed once 5 records are in. The file must hold
  // the intervals between the records read, their count stated on stderr by `pattern`.
  ProgramResult KillDuringArchiveRead(bool serial, const std::string& pattern) {
    StartMeter({"--hour-records", "400", "--fault", "delay:20"});
    KamtRun run(Over(serial, {"archive", "hourly"}), WorkDir());
    EXPECT_TRUE(run.WaitForProgress(5)) << "the read never got going";
    Sim().Kill();
    const ProgramResult r = run.Finish();
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const int read = Number(r.err, pattern);
    EXPECT_GE(read, 5) << r.err;
    EXPECT_LT(read, 400) << r.err;
    EXPECT_EQ(Lines(r.out).back(), "Данные сохранены в файл: KAMTarchH1234.txt");
    const ArchiveFile f = ReadArchiveFile(dir.path / "KAMTarchH1234.txt");
    EXPECT_TRUE(f.crlfOnly);
    EXPECT_EQ(f.Rows().size(), static_cast<std::size_t>(read - 1));
    ExpectHourByHour(f.Rows());
    StartMeter({});
    ExpectNextCommandWorks(serial);
    return r;
  }
};

// The line goes dead: every attempt fails at once or at its time-out, the fifth ends the read.
TEST_F(MeterKilled, SerialArchiveReadSavesTheRecordsRead) {
  const ProgramResult r = KillDuringArchiveRead(true, "kamt: the read stopped after (\\d+) of 400 records\n");
  EXPECT_TRUE(Has(r.err, "Устройство не отвечает!\n")) << r.err;
}

// The connection goes down: the read ends there instead of asking for every remaining record
// over a connection that is gone, and says why without blaming the meter.
TEST_F(MeterKilled, TcpArchiveReadEndsWithTheConnection) {
  const ProgramResult r = KillDuringArchiveRead(false, "kamt: the connection was lost after (\\d+) of 400 records\n");
  EXPECT_TRUE(Has(r.err, "Нет соединения с 127.0.0.1, порт:")) << r.err;
  EXPECT_FALSE(Has(r.err, "not answered")) << r.err;
  EXPECT_FALSE(Has(r.err, "Устройство не отвечает!")) << r.err;
}

// The pseudo-terminal vanishes under a read that waits for its answer.
TEST_F(MeterKilled, SerialLineVanishesWhileTheAnswerIsAwaited) {
  StartMeter({"--verbose", "--fault", "delay:60000"});
  KamtRun run(Over(true, {"current"}), WorkDir());
  ASSERT_TRUE(Sim().WaitForLog("serial rx", 30000)) << "the request never came";
  Sim().Kill();
  const ProgramResult r = run.Finish();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Устройство не отвечает!\nОшибка чтения\nПринято 0 байт\n");
  EXPECT_EQ(r.out, "");
  StartMeter({});
  ExpectNextCommandWorks(true);
}

}  // namespace
}  // namespace kamt::test
