// The meter gone in the middle of a command: the simulator killed as a crash or a pulled
// cable would end it, over the pseudo-terminal and over TCP. kamt must end by itself within
// its time-outs, keep what it read, say what happened, and work again once the meter is back.
#include "fault_fixture.h"

namespace kamt::test {
namespace {

class MeterKilled : public FaultTest {
 protected:
  // Starts `kamt archive hourly` on a slow meter and kills the meter once `records` are in.
  ProgramResult KillDuringArchiveRead(bool serial, int records) {
    StartMeter({"--hour-records", "400", "--fault", "delay:20"});
    KamtRun run(Over(serial, {"archive", "hourly"}), WorkDir());
    EXPECT_TRUE(run.WaitForProgress(records)) << "the read never got going";
    Sim().Kill();
    return run.Finish();
  }

  // Starts `kamt current` on a meter that takes its time, and kills the meter once it holds
  // the request.
  ProgramResult KillWhileAnswerAwaited(bool serial) {
    StartMeter({"--verbose", "--fault", "delay:60000"});
    KamtRun run(Over(serial, {"current"}), WorkDir());
    EXPECT_TRUE(Sim().WaitForLog(serial ? "serial rx" : "tcp rx", 30000)) << "the request never came";
    Sim().Kill();
    return run.Finish();
  }

  // The rows of the file must be the intervals between the records read.
  void ExpectFileOfRecords(const ProgramResult& r, int read) {
    EXPECT_EQ(Lines(r.out).back(), "Данные сохранены в файл: KAMTarchH1234.txt");
    const ArchiveFile f = ReadArchiveFile(dir.path / "KAMTarchH1234.txt");
    ASSERT_TRUE(f.exists);
    EXPECT_TRUE(f.crlfOnly);
    EXPECT_EQ(f.Rows().size(), static_cast<std::size_t>(read - 1));
    int previous = -1;
    for (const std::string& row : f.Rows()) {
      int hour = 0;
      ASSERT_TRUE(HourlyTimeFollows(Fields(row).at(0), &hour)) << row;
      if (previous >= 0) {
        ASSERT_EQ(hour, (previous + 1) % 24) << "no interval bridges a gap: " << row;
      }
      previous = hour;
    }
  }
};

// The line goes dead: every attempt fails at once or at its time-out, the fifth ends the read,
// and what was read is saved.
TEST_F(MeterKilled, SerialArchiveReadSavesTheRecordsRead) {
  const ProgramResult r = KillDuringArchiveRead(true, 5);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("Устройство не отвечает!\n"), std::string::npos) << r.err;
  const int read = Number(r.err, "kamt: the read stopped after (\\d+) of 400 records\n");
  EXPECT_GE(read, 5) << r.err;
  EXPECT_LT(read, 400) << r.err;
  ExpectFileOfRecords(r, read);
  StartMeter({});
  ExpectNextCommandWorks(true);
}

// The connection goes down: the read ends there instead of asking for every remaining record
// over a connection that is gone, and says why.
TEST_F(MeterKilled, TcpArchiveReadEndsWithTheConnection) {
  const ProgramResult r = KillDuringArchiveRead(false, 5);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const int read = Number(r.err, "kamt: the connection was lost after (\\d+) of 400 records\n");
  EXPECT_GE(read, 5) << r.err;
  EXPECT_LT(read, 400) << r.err;
  EXPECT_NE(r.err.find("Нет соединения с 127.0.0.1, порт:"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("not answered"), std::string::npos) << "the meter is not blamed: " << r.err;
  EXPECT_EQ(r.err.find("Устройство не отвечает!"), std::string::npos) << r.err;
  ExpectFileOfRecords(r, read);
  StartMeter({});
  ExpectNextCommandWorks(false);
}

// The pseudo-terminal vanishes under a read that waits for its answer.
TEST_F(MeterKilled, SerialLineVanishesWhileTheAnswerIsAwaited) {
  const ProgramResult r = KillWhileAnswerAwaited(true);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Устройство не отвечает!\nОшибка чтения\nПринято 0 байт\n");
  EXPECT_EQ(r.out, "");
  StartMeter({});
  ExpectNextCommandWorks(true);
}

TEST_F(MeterKilled, TcpConnectionGoesWhileTheAnswerIsAwaited) {
  const ProgramResult r = KillWhileAnswerAwaited(false);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.starts_with("Чтение данных\n")) << r.err;
  EXPECT_NE(r.err.find("Нет соединения с 127.0.0.1, порт:"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  StartMeter({});
  ExpectNextCommandWorks(false);
}

}  // namespace
}  // namespace kamt::test
