#include "archive_file_check.h"

namespace kamt::test {
namespace {

class ArchiveOverSerial : public E2eTest {
 protected:
  void SetUp() override { WriteDelay(dir.path, 0); }
  ArchiveFile File(const std::string& name) const { return ReadArchiveFile(dir.path / name); }
  // kamt reading an archive from a meter started with the given options.
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
  const ArchiveFile f = File("KAMTarchH123.txt");
  ASSERT_TRUE(f.exists);
  EXPECT_TRUE(f.crlfOnly);
  ASSERT_EQ(f.lines.size(), 3u + 24u);
  EXPECT_EQ(f.lines[0], "КАМТ Заводской номер :\t  123");
  EXPECT_EQ(f.lines[1], "Часовой архив");
  EXPECT_EQ(f.lines[2], "Время\tОбъем+,м3\tОбъем-,м3\tВремя работы\tКод НС\tUару\tЧисло сбоев\tДавление");
  int previous = -1;
  for (const std::string& row : f.Rows()) {
    const auto fields = Fields(row);
    ASSERT_EQ(fields.size(), 8u) << row;
    int hour = 0;
    EXPECT_TRUE(HourlyTimeFollows(fields[0], &hour)) << row;
    if (previous >= 0) {
      EXPECT_EQ(hour, (previous + 1) % 24) << row;
    }
    previous = hour;
    EXPECT_EQ(fields[1].size(), 12u) << "9 digits, a point, 2 decimals: " << row;
    EXPECT_EQ(fields[3], "    1.00ч") << "an hour of work in each interval: " << row;
  }
  EXPECT_NE(r.err.find("\r24/25"), std::string::npos) << "progress on stderr";
}

TEST_F(ArchiveOverSerial, LastNIntervalsOfTheDailyArchive) {
  const ProgramResult r = Read({"--serial-number", "77", "--day-records", "62"}, {"archive", "daily", "5"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const ArchiveFile f = File("KAMTarchD77.txt");
  EXPECT_EQ(f.Rows().size(), 5u);
  EXPECT_EQ(f.lines.at(2), "Время\tОбъем+,м3\tОбъем-,м3\tВремя работы\tКод НС\tUару");
  for (const std::string& row : f.Rows()) {
    EXPECT_TRUE(std::regex_match(Fields(row).at(3), std::regex(" *\\d+\\.\\d\\dч"))) << row;
  }
}

TEST_F(ArchiveOverSerial, MonthlyWithATemperatureSensor) {
  const ProgramResult r =
      Read({"--serial-number", "5", "--month-records", "3", "--sensor-type", "2", "--plus-decimals", "0"},
           {"archive", "monthly"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const ArchiveFile f = File("KAMTarchM5.txt");
  ASSERT_EQ(f.Rows().size(), 2u);
  EXPECT_EQ(f.lines[0], "КАМТ Заводской номер :\t    5");
  EXPECT_EQ(f.lines[1], "Месячный архив");
  const auto fields = Fields(f.Rows()[0]);
  ASSERT_EQ(fields.size(), 5u);
  EXPECT_TRUE(std::regex_match(fields[0], std::regex("\\d\\d\\.20\\d\\d"))) << fields[0];
  EXPECT_EQ(fields[1].size(), 9u) << "no decimals: " << fields[1];
}

TEST_F(ArchiveOverSerial, FourFailedAttemptsAreRetriedAway) {
  const ProgramResult r = Read({"--hour-records", "4", "--fault", "archive-fail-first:4"}, {"archive", "hourly"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(File("KAMTarchH1234.txt").Rows().size(), 3u);
  EXPECT_EQ(r.err.find("Ошибка"), std::string::npos) << r.err;
}

TEST_F(ArchiveOverSerial, FiveFailedAttemptsStopAndNoFileIsWritten) {
  const ProgramResult r = Read({"--hour-records", "4", "--fault", "archive-fail-first:5"}, {"archive", "hourly"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_FALSE(File("KAMTarchH1234.txt").exists);
  EXPECT_NE(r.err.find("Ошибка CRC!\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("kamt: 0 records read; a file needs at least two: none was written\n"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("Чтение архива закончено\n"), std::string::npos) << r.err;
}

TEST_F(ArchiveOverSerial, ARecordThatNeverComesEndsTheReadAndWhatCameIsSaved) {
  const ProgramResult r =
      Read({"--hour-records", "10", "--fault", "archive-fail-index:6", "--archive-fault", "exception"},
           {"archive", "hourly"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(File("KAMTarchH1234.txt").Rows().size(), 5u) << "records 0 to 5";
  // Each rejected answer shows its own message; the fifth adds the archive's.
  std::string expected;
  for (int i = 0; i < 5; ++i) expected += "Ошибка устройства!\n";
  expected += "Ошибка чтения архива!\n";
  std::string messages;
  for (const std::string& line : Lines(r.err)) {
    if (line.starts_with("Ошибка")) messages += line + "\n";
  }
  EXPECT_EQ(messages, expected) << r.err;
  EXPECT_NE(r.err.find("kamt: the read stopped after 6 of 10 records\n"), std::string::npos) << r.err;
}

TEST_F(ArchiveOverSerial, FewerThanTwoRecordsSaySo) {
  const ProgramResult r = Read({"--hour-records", "1"}, {"archive", "hourly"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("kamt: 1 record read; a file needs at least two: none was written\n"), std::string::npos)
      << r.err;
  EXPECT_EQ(r.out, "");
}

TEST_F(ArchiveOverSerial, CountThatIsNoNumberIsTheWindowsMessage) {
  const ProgramResult r = Read({}, {"archive", "daily", "x"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.starts_with("Ошибка ввода числа записей!\n")) << r.err;
  EXPECT_FALSE(File("KAMTarchD1234.txt").exists);
}

TEST_F(ArchiveOverSerial, UnknownArchiveIsAUsageError) {
  const ProgramResult r = Kamt({"--serial", "/dev/null", "archive", "weekly"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("hourly, daily or monthly"), std::string::npos) << r.err;
}

TEST_F(ArchiveOverSerial, CurrentDataFailureStopsBeforeTheArchive) {
  const ProgramResult r = Read({"--fault", "exception:4"}, {"archive", "hourly"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.starts_with("Ошибка устройства!\nОшибка чтения\n")) << r.err;
}

TEST_F(ArchiveOverSerial, PauseOfTheSettingsFileBeforeEachRequest) {
  WriteDelay(dir.path, 400);
  const ProgramResult r = Read({"--hour-records", "3"}, {"archive", "hourly"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_GE(r.elapsedMs, 3 * 400);
}

TEST_F(ArchiveOverSerial, CtrlCStopsTheReadAndSavesWhatWasRead) {
  WriteDelay(dir.path, 50);
  StartSim({"--serial-number", "9", "--hour-records", "720"});
  const InterruptedRun run = RunKamtAndInterrupt(Serial({"archive", "hourly"}), QString::fromStdString(dir.path.string()), 3);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Lines(run.out).back(), "Данные сохранены в файл: KAMTarchH9.txt");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(run.err, m, std::regex("kamt: interrupted: (\\d+) of 720 records read"))) << run.err;
  const int read = std::stoi(m[1]);
  EXPECT_GE(read, 3);
  EXPECT_LT(read, 720);
  const ArchiveFile f = File("KAMTarchH9.txt");
  EXPECT_TRUE(f.crlfOnly);
  EXPECT_EQ(f.Rows().size(), static_cast<std::size_t>(read - 1));
}

}  // namespace
}  // namespace kamt::test
