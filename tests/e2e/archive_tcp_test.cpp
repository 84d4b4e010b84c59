#include "archive_file_check.h"

namespace kamt::test {
namespace {

class ArchiveOverTcp : public E2eTest {
 protected:
  ArchiveFile File(const std::string& name) const { return ReadArchiveFile(dir.path / name); }
};

// More records than the 1200 the table once had room for.
TEST_F(ArchiveOverTcp, ThirteenHundredHourlyRecords) {
  StartSim({"--no-serial", "--tcp", "0", "--serial-number", "4321", "--hour-records", "1300", "--sensor-type", "0"});
  const ProgramResult r = Kamt(Tcp({"archive", "hourly"}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Lines(r.out).back(), "Данные сохранены в файл: KAMTarchH4321.txt");
  const ArchiveFile f = File("KAMTarchH4321.txt");
  EXPECT_TRUE(f.crlfOnly);
  ASSERT_EQ(f.Rows().size(), 1299u);
  EXPECT_EQ(f.lines[2], "Время\tОбъем+,м3\tОбъем-,м3\tВремя работы\tКод НС\tUару\tЧисло сбоев");
  int previous = -1;
  for (const std::string& row : f.Rows()) {
    int hour = 0;
    ASSERT_TRUE(HourlyTimeFollows(Fields(row).at(0), &hour)) << row;
    if (previous >= 0) {
      ASSERT_EQ(hour, (previous + 1) % 24) << row;
    }
    previous = hour;
  }
}

// A record the meter refuses is skipped, and no interval bridges it.
TEST_F(ArchiveOverTcp, SkippedRecordEndsARunOfIntervals) {
  StartSim({"--no-serial", "--tcp", "0", "--hour-records", "8", "--fault", "archive-fail-index:3"});
  const ProgramResult r = Kamt(Tcp({"archive", "hourly"}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto rows = File("KAMTarchH1234.txt").Rows();
  ASSERT_EQ(rows.size(), 5u) << "0-1, 1-2, then 4-5, 5-6, 6-7";
  int h1 = 0, h2 = 0;
  ASSERT_TRUE(HourlyTimeFollows(Fields(rows[1]).at(0), &h1));
  ASSERT_TRUE(HourlyTimeFollows(Fields(rows[2]).at(0), &h2));
  EXPECT_EQ(h2, (h1 + 3) % 24) << rows[1] << " / " << rows[2];
  EXPECT_EQ(Fields(rows[2]).at(3), "    1.00ч");
  EXPECT_NE(r.err.find("Ошибка устройства!\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("kamt: 1 of 8 records not answered"), std::string::npos) << r.err;
}

// The same meter over both transports gives the same file.
TEST_F(ArchiveOverTcp, SameBytesAsOverTheSerialLine) {
  WriteDelay(dir.path, 0);
  StartSim({"--tcp", "0", "--day-records", "40", "--sensor-type", "2"});
  for (int attempt = 0; attempt < 2; ++attempt) {  // a day may turn between the two reads
    ASSERT_EQ(Kamt(Tcp({"archive", "daily"})).exitCode, 0);
    const std::string overTcp = File("KAMTarchD1234.txt").bytes;
    ASSERT_EQ(Kamt(Serial({"archive", "daily"})).exitCode, 0);
    if (File("KAMTarchD1234.txt").bytes == overTcp) return;
  }
  ADD_FAILURE() << "the files differ";
}

TEST_F(ArchiveOverTcp, CtrlCStopsTheReadAndSavesWhatWasRead) {
  StartSim({"--no-serial", "--tcp", "0", "--month-records", "200", "--fault", "delay:100"});
  const InterruptedRun run = RunKamtAndInterrupt(Tcp({"archive", "monthly"}), QString::fromStdString(dir.path.string()), 2);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(run.err, m, std::regex("kamt: interrupted: (\\d+) of 200 records read"))) << run.err;
  EXPECT_EQ(File("KAMTarchM1234.txt").Rows().size(), static_cast<std::size_t>(std::stoi(m[1]) - 1));
}

}  // namespace
}  // namespace kamt::test
