#include "archive_file_check.h"

namespace kamt::test {
namespace {

class ArchiveOverSerial : public E2eTest {
 protected:
  void SetUp() override { WriteDelay(dir.path, 0); }
  ArchiveFile File(const std::string& name) const { return ReadArchiveFile(dir.path / name); }
  ProgramResult Read(const QStringList& meter, const QStringList& command) {
    StartSim(meter);
    return Kamt(Serial(command));
  }
};

TEST_F(ArchiveOverSerial, WholeHourlyArchiveIntoItsFile) {
  const ProgramResult r = Read({"--serial-number", "123", "--hour-records", "25", "--sensor-type", "1"},
                               {"archive", "hourly"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Lines(r.out).back(), "Данные сохранены в файл: KAMTarchH123.txt");
  EXPECT_TRUE(Has(r.err, "\r24/25")) << "progress on stderr";
  const ArchiveFile f = File("KAMTarchH123.txt");
  EXPECT_TRUE(f.crlfOnly);
  ASSERT_EQ(f.lines.size(), 3u + 24u);
  EXPECT_EQ(f.lines[0], "КАМТ Заводской номер :\t  123");
  EXPECT_EQ(f.lines[2], "Время\tОбъем+,м3\tОбъем-,м3\tВремя работы\tКод НС\tUару\tЧисло сбоев\tДавление");
  ExpectHourByHour(f.Rows());
}

TEST_F(ArchiveOverSerial, LastNIntervalsOfTheDailyArchive) {
  ASSERT_EQ(Read({"--serial-number", "77", "--day-records", "62"}, {"archive", "daily", "5"}).exitCode, 0);
  EXPECT_EQ(File("KAMTarchD77.txt").Rows().size(), 5u);
}

TEST_F(ArchiveOverSerial, ARecordThatNeverComesEndsTheReadAndWhatCameIsSaved) {
  const ProgramResult r = Read(
      {"--hour-records", "10", "--fault", "archive-fail-index:6", "--archive-fault", "exception"}, {"archive", "hourly"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(File("KAMTarchH1234.txt").Rows().size(), 5u) << "records 0 to 5";
  // Each rejected answer shows its own message; the fifth adds the archive's.
  std::string messages, expected;
  for (const std::string& line : Lines(r.err)) {
    if (line.starts_with("Ошибка")) messages += line + "\n";
  }
  for (int i = 0; i < 5; ++i) expected += "Ошибка устройства!\n";
  EXPECT_EQ(messages, expected + "Ошибка чтения архива!\n") << r.err;
  EXPECT_TRUE(Has(r.err, "kamt: the read stopped after 6 of 10 records\n")) << r.err;
}

TEST_F(ArchiveOverSerial, RefusalsWriteNoFile) {
  struct Case {
    QStringList meter, command;
    int exitCode;
    const char* err;
    bool first;  // err opens stderr; otherwise it is somewhere in it
  };
  const Case cases[] = {
      {{"--hour-records", "4", "--fault", "archive-fail-first:5"}, {"archive", "hourly"}, 1,
       "kamt: 0 records read; a file needs at least two: none was written\n", false},
      {{"--hour-records", "1"}, {"archive", "hourly"}, 1, "kamt: 1 record read; a file needs at least two: none was written\n", false},
      {{}, {"archive", "daily", "x"}, 1, "Ошибка ввода числа записей!\n", true},
      {{}, {"archive", "weekly"}, 2, "hourly, daily or monthly", false},
      // The current data come first; when they fail the archive is not asked for.
      {{"--fault", "exception:4"}, {"archive", "hourly"}, 1, "Ошибка устройства!\nОшибка чтения\n", true},
  };
  for (const Case& c : cases) {
    const ProgramResult r = Read(c.meter, c.command);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_TRUE(c.first ? r.err.starts_with(c.err) : Has(r.err, c.err)) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1) << "only the settings file";
  }
}

TEST_F(ArchiveOverSerial, CtrlCStopsTheReadAndSavesWhatWasRead) {
  WriteDelay(dir.path, 50);
  StartSim({"--serial-number", "9", "--hour-records", "720"});
  KamtRun run(Serial({"archive", "hourly"}), WorkDir());
  ASSERT_TRUE(run.WaitForProgress(3));
  run.Interrupt();
  const ProgramResult r = run.Finish();
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Lines(r.out).back(), "Данные сохранены в файл: KAMTarchH9.txt");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(r.err, m, std::regex("kamt: interrupted: (\\d+) of 720 records read"))) << r.err;
  const int read = std::stoi(m[1]);
  EXPECT_GE(read, 3);
  EXPECT_LT(read, 720);
  const ArchiveFile f = File("KAMTarchH9.txt");
  EXPECT_TRUE(f.crlfOnly);
  EXPECT_EQ(f.Rows().size(), static_cast<std::size_t>(read - 1));
}

}  // namespace
}  // namespace kamt::test
