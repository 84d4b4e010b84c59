#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <limits>

#include "comma_locale.h"
#include "hex.h"
#include "meter/archive_decode.h"
#include "meter/archive_file.h"
#include "meter/config_report.h"
#include "text/cp1251.h"
#include "text/text_file.h"
#include "temp_dir.h"
#include "test_rig.h"

#if defined(__unix__)
#include <sys/resource.h>
#endif

namespace kamt {

static void PrintTo(const ArchiveRecord& r, std::ostream* os) {
  *os << +r.hour << ' ' << +r.day << '.' << +r.month << '.' << +r.year << " U=" << r.voltage << " F=" << r.failures
      << " +" << r.volumePlus << " -" << r.volumeMinus << " t=" << r.workSeconds << " p=" << r.pressure
      << " T=" << r.temperature << " E=" << +r.errorCode;
}

namespace {

using namespace std::string_literals;

// Pressure comes least significant byte first, temperature most significant first; bytes 36-38
// are unused; every other field is unsigned and most significant byte first.
TEST(DecodeArchiveRecord, FieldsComeFromTheirBytes) {
  const std::pair<const char*, ArchiveRecord> cases[] = {
      {"17 1F 0C 15  01 68  12 34  00 00 00 00 00 BC 61 4E  00 00 00 00 00 00 30 39  00 01 51 80"
       "  CD CC CC 40  C2 20 00 00  AA BB CC  0A",
       {23, 31, 12, 21, 360, 0x1234, 12345678, 12345, 86400, 6.4f, -40.0f, 0x0A}},
      {"FF FF FF FF  FF FF  FF FF  80 00 00 01 00 00 00 02  7F FF FF FF FF FF FF FB  FF FF FF FF"
       "  00 00 80 3F  3F 80 00 00  FF FF FF  FF",
       {255, 255, 255, 255, 65535, 65535, std::numeric_limits<std::int64_t>::min() + 0x100000002, 0x7FFFFFFFFFFFFFFB,
        0xFFFFFFFF, 1.0f, 1.0f, 255}}};
  for (const auto& [hex, expected] : cases) {
    const std::vector<std::uint8_t> bytes = test::Hex(hex);
    EXPECT_EQ(DecodeArchiveRecord(std::span<const std::uint8_t, kArchiveRecordSize>(bytes.data(), 40)), expected);
  }
}

// Four records, three intervals: 22-23 h on 31.05.2021, the hour to midnight, the first hour
// of June. The differences: forward 12345, 7, 0; reverse -5 (a counter that went back), 0,
// 999505; working time 5400 s, 3599 s, -1800 s.
const std::vector<ArchiveRecord> kRecords = {
    {22, 31, 5, 21, 355, 0, 1000000, 500, 100000, 1.0f, 1.0f, 0},
    {23, 31, 5, 21, 360, 3, 1012345, 495, 105400, 6.4f, 21.7f, 10},
    {0, 1, 6, 21, 1234, 65535, 1012352, 495, 108999, -1.25f, -40.0f, 255},
    {1, 1, 6, 21, 0, 12, 1012352, 1000000, 107199, 123.456f, 150.0f, 0x80},
};

std::string Golden(const std::string& name) {
  return ReadFileBytes(std::filesystem::path(KAMT_GOLDEN_DIR) / name).value_or("no " + name);
}

// kRecords read from a meter of the given format, to be written into a fresh folder.
class ArchiveFileTest : public ::testing::Test {
 protected:
  void Use(const ArchiveFileFormat& f) {
    s.outputDirectory = dir.path;
    s.CurrentData.SerialNumber = f.serialNumber;
    s.CurrentData.PlusDecimals = f.plusDecimals;
    s.CurrentData.MinusDecimals = f.minusDecimals;
    s.CurrentData.SensorType = f.sensorType;
    s.ArchiveTable = kRecords;
  }
  ArchiveFileResult Write(ArchiveKind kind) { return WriteArchiveFile(s, kind, std::vector<bool>(4, true)); }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path)) names.push_back(entry.path().filename().string());
    return names;
  }

  test::TempDir dir;
  test::TestRig rig;
  Session& s = rig.session;
};

// Decimals beyond two print as two, and a sensor type beyond two adds no column.
TEST_F(ArchiveFileTest, EveryKindAndSensorMatchesItsFileByteForByte) {
  const std::tuple<const char*, ArchiveFileFormat, const char*> cases[] = {
      {"hourly_pressure.txt", {ArchiveKind::Hourly, 123, 2, 2, 1}, "KAMTarchH123.txt"},
      {"hourly_temperature.txt", {ArchiveKind::Hourly, 65535, 1, 0, 2}, "KAMTarchH65535.txt"},
      {"hourly_no_sensor.txt", {ArchiveKind::Hourly, 0, 0, 7, 3}, "KAMTarchH0.txt"},
      {"daily.txt", {ArchiveKind::Daily, 123, 2, 1, 1}, "KAMTarchD123.txt"},
      {"monthly.txt", {ArchiveKind::Monthly, 123, 2, 2, 2}, "KAMTarchM123.txt"}};
  for (const auto& [golden, format, name] : cases) {
    Use(format);
    EXPECT_EQ(Write(format.kind).outcome, ArchiveFileOutcome::Saved);
    const std::string written = ReadFileBytes(dir.path / name).value_or("none");
    EXPECT_EQ(written, Golden(golden)) << Cp1251ToUtf8(written);
    EXPECT_EQ(rig.window.StatusText(1), "Данные сохранены в файл: "s + name);
  }
  EXPECT_TRUE(rig.window.messages.empty());
}

constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
const ArchiveFileFormat kMonthly2{ArchiveKind::Monthly, 1, 2, 2, 0};

ArchiveRecord June(std::int64_t plus, std::int64_t minus, std::uint32_t work) {
  return {0, 0, 6, 21, 0, 0, plus, minus, work, 0, 0, 0};
}

// Single intervals at the edges of the formats, as the C formats print them.
TEST(ArchiveRow, EdgesAsTheFormatsPrintThem) {
  const struct {
    const char* name;
    ArchiveFileFormat format;
    ArchiveRecord earlier, later;
    const char* row;  // UTF-8, without its CR LF
  } cases[] = {
    {"bytes above 99 are not cut", {ArchiveKind::Hourly, 1, 0, 0, 0}, {.hour = 200, .day = 1, .month = 1, .year = 1},
     {.hour = 201, .day = 131, .month = 112, .year = 125},
     "200-201ч 131.112.20125\t        0\t        0\t    0.00ч\t0x00\t0.00\t    0"},
    {"two decimals, a hundred back", kMonthly2, June(105, 0, 0), June(0, 0, 0),
     "06.2021\t       -1.-5\t        0.00\t    0.00ч\t0x00"},
    {"counters at the ends of the range wrap, never trap", kMonthly2, June(kMax, kMin, 0), June(kMin, kMax, 0),
     "06.2021\t        0.01\t        0.-1\t    0.00ч\t0x00"},
    {"a difference wider than nine digits widens the column", kMonthly2, June(0, 0, 0), June(123456789012LL, 0, 0),
     "06.2021\t1234567890.12\t        0.00\t    0.00ч\t0x00"},
    {"working time that wrapped past 2^32 counts forward", kMonthly2, June(0, 0, 0xFFFFFFF0u), June(0, 0, 0x0E00u),
     "06.2021\t        0.00\t        0.00\t    1.00ч\t0x00"},
    {"working time half the range back is negative", kMonthly2, June(0, 0, 0), June(0, 0, 0x80000000u),
     "06.2021\t        0.00\t        0.00\t-596523.-23ч\t0x00"},
    {"largest voltage", {ArchiveKind::Daily, 1, 2, 2, 0}, {.day = 9, .month = 6, .year = 21},
     {.day = 10, .month = 6, .year = 21, .voltage = 65535},
     "09.06.2021\t        0.00\t        0.00\t    0.00ч\t0x00\t655.35"},
    {"pressure not a number", {ArchiveKind::Hourly, 1, 0, 0, 1}, {.hour = 1, .day = 1, .month = 1, .year = 1},
     {.hour = 2, .day = 1, .month = 1, .year = 1, .pressure = std::numeric_limits<float>::quiet_NaN()},
     "01-02ч 01.01.2001\t        0\t        0\t    0.00ч\t0x00\t0.00\t    0\t  nan"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatArchiveRow(c.format, c.earlier, c.later), c.row + "\r\n"s) << c.name;
}

// The window program runs in the user's locale; the files always use a point.
TEST(ArchiveRow, PointEvenUnderACommaLocale) {
  const ArchiveRecord l{.voltage = 360, .pressure = 6.4f};
  std::string row;
  {
    test::CommaLocale comma;
    ASSERT_TRUE(comma.Active()) << "no locale with a decimal comma could be made";
    row = FormatArchiveRow({ArchiveKind::Hourly, 1, 0, 0, 1}, ArchiveRecord{}, l);
  }
  EXPECT_TRUE(row.ends_with("\t3.60\t    0\t 6.40\r\n")) << row;
}

class ArchiveFileFailure : public ArchiveFileTest {
 protected:
  void SetUp() override { Use({ArchiveKind::Hourly, 123, 2, 2, 1}); }
  ArchiveFileResult Write() { return ArchiveFileTest::Write(ArchiveKind::Hourly); }
};

TEST_F(ArchiveFileFailure, FolderMissingOrNameTakenByAFolderIsAnOpenError) {
  s.outputDirectory = dir.path / "gone";
  EXPECT_EQ(Write().outcome, ArchiveFileOutcome::NotOpened);
  s.outputDirectory = dir.path;
  std::filesystem::create_directory(dir.path / "KAMTarchH123.txt");
  EXPECT_EQ(Write().outcome, ArchiveFileOutcome::NotOpened);
  EXPECT_EQ(rig.window.messages, std::vector<std::string>(2, "Ошибка открытия файла: KAMTarchH123.txt"));
  EXPECT_TRUE(rig.window.Entries("panel1").empty());
  EXPECT_EQ(Files(), std::vector<std::string>{"KAMTarchH123.txt"}) << "nothing left beside it";
}

#if defined(__unix__)
// A disk that fills up half-way: the file is made but cannot be written whole. The earlier
// file of that name must survive, and nothing half-written may be left.
TEST_F(ArchiveFileFailure, DiskFullIsAWriteErrorAndKeepsTheEarlierFile) {
  ASSERT_TRUE(WriteTextFile(dir.path / "KAMTarchH123.txt", "earlier\r\n"));
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 100;  // bytes: less than the header and three rows
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const ArchiveFileResult r = Write();
  EXPECT_FALSE(Button11Click(s));  // the configuration report, likewise
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(r.outcome, ArchiveFileOutcome::NotWritten);
  EXPECT_EQ(rig.window.messages, (std::vector<std::string>{"Ошибка записи файла: KAMTarchH123.txt: File too large",
                                                           "Ошибка записи файла: KAMT_Conf0.txt: File too large"}));
  EXPECT_TRUE(rig.window.Entries("panel1").empty()) << "not reported as saved";
  EXPECT_EQ(ReadFileBytes(dir.path / "KAMTarchH123.txt").value_or(""), "earlier\r\n");
  EXPECT_EQ(Files(), std::vector<std::string>{"KAMTarchH123.txt"}) << "nothing left beside it";
}

// A write killed half-way leaves its temporary; the next write of that name removes it, and
// only it: no process 4194305 exists (beyond Linux's highest), process 1 always does.
TEST_F(ArchiveFileFailure, TheNextWriteRemovesWhatAKilledOneLeft) {
  const std::vector<std::string> kept = {"KAMTarchD123.txt.tmp4194305-0", "KAMTarchH123.txt.tmp", "KAMTarchH123.txt.tmp1-0"};
  for (const std::string& name : kept) std::ofstream(dir.path / name) << "x";
  std::ofstream(dir.path / "KAMTarchH123.txt.tmp4194305-7") << "x";
  EXPECT_EQ(Write().outcome, ArchiveFileOutcome::Saved);
  std::vector<std::string> files = Files();
  std::ranges::sort(files);
  EXPECT_EQ(files, (std::vector<std::string>{kept[0], "KAMTarchH123.txt", kept[1], kept[2]}));
}
#endif

TEST_F(ArchiveFileFailure, ASecondReadReplacesTheFileWhole) {
  ASSERT_TRUE(WriteTextFile(dir.path / "KAMTarchH123.txt", std::string(5000, 'x')));
  EXPECT_EQ(Write().outcome, ArchiveFileOutcome::Saved);
  EXPECT_EQ(ReadFileBytes(dir.path / "KAMTarchH123.txt").value_or(""), Golden("hourly_pressure.txt"));
}

}  // namespace
}  // namespace kamt
