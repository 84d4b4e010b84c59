// kamt archive against the simulated meter: the file, the refusals, Ctrl+C, and the meter gone
// in the middle of a read (the simulator killed as a crash or a pulled cable would end it).
#include <regex>

#include "e2e_fixture.h"

namespace kamt::test {
namespace {

class Archive : public E2eTest {
 protected:
  static int Number(const std::string& text, const std::string& pattern) {
    std::smatch m;
    return std::regex_search(text, m, std::regex(pattern)) ? std::stoi(m[1]) : -1;
  }
};

TEST_F(Archive, WholeHourlyArchiveIntoItsFile) {
  StartSim({"--serial-number", "123", "--hour-records", "25", "--sensor-type", "1"});
  const ProgramResult r = Kamt(Serial({"archive", "hourly"}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Lines(r.out).back(), "Данные сохранены в файл: KAMTarchH123.txt");
  EXPECT_TRUE(Has(r.err, "\r24/25")) << "progress on stderr";
  EXPECT_TRUE(ReadFileBytes(dir.path / "KAMTarchH123.txt")->starts_with(
      Utf8ToCp1251("КАМТ Заводской номер :\t  123\r\nЧасовой архив\r\nВремя\tОбъем+,м3\tОбъем-,м3\tВремя работы\t"
                   "Код НС\tUару\tЧисло сбоев\tДавление\r\n")));
  EXPECT_EQ(HourlyRows("KAMTarchH123.txt").size(), 24u);
}

// No file unless two records were read; the current data come first, and when they fail the
// archive is not asked for.
TEST_F(Archive, RefusalsWriteNoFile) {
  const std::tuple<QStringList, QStringList, int, const char*> cases[] = {  // meter, command, exit code, stderr
      {{"--hour-records", "4", "--fault", "archive-fail-first:5"}, {"archive", "hourly"}, 1,
       "kamt: 0 records read; a file needs at least two: none was written\n"},
      {{"--hour-records", "1"}, {"archive", "hourly"}, 1,
       "kamt: 1 record read; a file needs at least two: none was written\n"},
      {{"--fault", "exception:4"}, {"archive", "hourly"}, 1, "Ошибка устройства!\nОшибка чтения\n"}};
  for (const auto& [meter, command, exitCode, err] : cases) {
    StartSim(meter);
    const ProgramResult r = Kamt(Serial(command));
    EXPECT_EQ(r.exitCode, exitCode) << r.err;
    EXPECT_TRUE(Has(r.err, err)) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1) << "only the settings file";
  }
}

TEST_F(Archive, CtrlCStopsTheReadAndSavesWhatWasRead) {
  WriteTextFile(dir.path / "Vedan_modbus.ini", "[Serial]\r\nDelay=50\r\n");
  StartSim({"--serial-number", "9", "--hour-records", "720"});
  KamtRun run(Serial({"archive", "hourly"}), WorkDir());
  ASSERT_TRUE(run.WaitForProgress(3));
  run.Interrupt();
  const ProgramResult r = run.Finish();
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Lines(r.out).back(), "Данные сохранены в файл: KAMTarchH9.txt");
  const int read = Number(r.err, "kamt: interrupted: (\\d+) of 720 records read");
  EXPECT_TRUE(read >= 3 && read < 720) << r.err;
  EXPECT_EQ(HourlyRows("KAMTarchH9.txt").size(), static_cast<std::size_t>(read - 1));
}

// The connection goes down: the read ends there instead of asking for every remaining record
// over a connection that is gone, keeps what it read and says why without blaming the meter.
TEST_F(Archive, TcpReadEndsWithTheConnectionAndKeepsWhatCame) {
  StartSim({"--no-serial", "--tcp", "0", "--hour-records", "400", "--fault", "delay:20"});
  KamtRun run(Tcp({"archive", "hourly"}), WorkDir());
  ASSERT_TRUE(run.WaitForProgress(5)) << "the read never got going";
  Sim().Kill();
  const ProgramResult r = run.Finish();
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const int read = Number(r.err, "kamt: the connection was lost after (\\d+) of 400 records\n");
  EXPECT_TRUE(read >= 5 && read < 400) << r.err;
  EXPECT_TRUE(Has(r.err, "Нет соединения с 127.0.0.1, порт:")) << r.err;
  EXPECT_FALSE(Has(r.err, "not answered") || Has(r.err, "Устройство не отвечает!")) << r.err;
  EXPECT_EQ(Lines(r.out).back(), "Данные сохранены в файл: KAMTarchH1234.txt");
  EXPECT_EQ(HourlyRows("KAMTarchH1234.txt").size(), static_cast<std::size_t>(read - 1));
}

}  // namespace
}  // namespace kamt::test
