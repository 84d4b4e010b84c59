#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <limits>

#include "comma_locale.h"
#include "meter/archive_file.h"
#include "platform/cp1251.h"
#include "platform/text_file.h"
#include "temp_dir.h"
#include "test_rig.h"

#if defined(__unix__)
#include <sys/resource.h>
#endif

namespace kamt {
namespace {

ArchiveRecord Rec(std::uint8_t hour, std::uint8_t day, std::uint8_t month, std::uint8_t year, std::uint16_t voltage,
                  std::uint16_t failures, std::int64_t plus, std::int64_t minus, std::uint32_t work, float pressure,
                  float temperature, std::uint8_t error) {
  return {hour, day, month, year, voltage, failures, plus, minus, work, pressure, temperature, error};
}

// Four records, three intervals: 22-23 h on 31.05.2021, the hour to midnight, the first hour
// of June. The differences: forward 12345, 7, 0; reverse -5 (a counter that went back), 0,
// 999505; working time 5400 s, 3599 s, -1800 s.
const std::vector<ArchiveRecord> kRecords = {
    Rec(22, 31, 5, 21, 355, 0, 1000000, 500, 100000, 1.0f, 1.0f, 0),
    Rec(23, 31, 5, 21, 360, 3, 1012345, 495, 105400, 6.4f, 21.7f, 10),
    Rec(0, 1, 6, 21, 1234, 65535, 1012352, 495, 108999, -1.25f, -40.0f, 255),
    Rec(1, 1, 6, 21, 0, 12, 1012352, 1000000, 107199, 123.456f, 150.0f, 0x80),
};

std::string Golden(const std::string& name) {
  const auto bytes = ReadFileBytes(std::filesystem::path(KAMT_GOLDEN_DIR) / name);
  EXPECT_TRUE(bytes) << name;
  return bytes.value_or("");
}

// kRecords read from a meter of the given format, to be written into a fresh folder.
class ArchiveFileTest : public ::testing::Test {
 protected:
  void Use(const ArchiveFileFormat& f) {
    s.OutputDirectory = dir.path;
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

struct GoldenCase {
  const char* golden;
  ArchiveFileFormat format;
  const char* fileName;
};

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.golden; }

class ArchiveGoldenTest : public ArchiveFileTest, public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(ArchiveGoldenTest, FileMatchesByteForByte) {
  const GoldenCase& c = GetParam();
  Use(c.format);
  const ArchiveFileResult result = Write(c.format.kind);
  EXPECT_EQ(result.outcome, ArchiveFileOutcome::Saved);
  EXPECT_EQ(result.fileName, c.fileName);
  const auto written = ReadFileBytes(dir.path / c.fileName);
  ASSERT_TRUE(written) << c.fileName;
  EXPECT_EQ(*written, Golden(c.golden)) << Cp1251ToUtf8(*written);
  EXPECT_EQ(rig.window.StatusText(1), std::string("Данные сохранены в файл: ") + c.fileName);
  EXPECT_TRUE(rig.window.messages.empty());
}

// Decimals beyond two print as two, and a sensor type beyond two adds no column.
INSTANTIATE_TEST_SUITE_P(
    EveryKindAndSensor, ArchiveGoldenTest,
    ::testing::Values(GoldenCase{"hourly_pressure.txt", {ArchiveKind::Hourly, 123, 2, 2, 1}, "KAMTarchH123.txt"},
                      GoldenCase{"hourly_temperature.txt", {ArchiveKind::Hourly, 65535, 1, 0, 2}, "KAMTarchH65535.txt"},
                      GoldenCase{"hourly_no_sensor.txt", {ArchiveKind::Hourly, 0, 0, 7, 3}, "KAMTarchH0.txt"},
                      GoldenCase{"daily.txt", {ArchiveKind::Daily, 123, 2, 1, 1}, "KAMTarchD123.txt"},
                      GoldenCase{"monthly.txt", {ArchiveKind::Monthly, 123, 2, 2, 2}, "KAMTarchM123.txt"}));

// Single intervals at the edges of the formats, as the C formats print them.
struct RowCase {
  const char* name;
  ArchiveFileFormat format;
  ArchiveRecord earlier, later;
  const char* row;  // UTF-8, without its CR LF
};

void PrintTo(const RowCase& c, std::ostream* os) { *os << c.name; }

constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
const ArchiveFileFormat kMonthly2{ArchiveKind::Monthly, 1, 2, 2, 0};

ArchiveRecord June(std::int64_t plus, std::int64_t minus, std::uint32_t work) {
  return Rec(0, 0, 6, 21, 0, 0, plus, minus, work, 0, 0, 0);
}

const RowCase kRowCases[] = {
    {"bytes above 99 are not cut", {ArchiveKind::Hourly, 1, 0, 0, 0}, Rec(200, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0),
     Rec(201, 131, 112, 125, 0, 0, 0, 0, 0, 0, 0, 0),
     "200-201ч 131.112.20125\t        0\t        0\t    0.00ч\t0x00\t0.00\t    0"},
    {"two decimals, a hundred back", kMonthly2, June(105, 0, 0), June(0, 0, 0),
     "06.2021\t       -1.-5\t        0.00\t    0.00ч\t0x00"},
    {"one decimal, backwards", {ArchiveKind::Monthly, 1, 1, 1, 0}, June(12345, 0, 0), June(0, 0, 0),
     "06.2021\t    -1234.-5\t        0.0\t    0.00ч\t0x00"},
    {"counters at the ends of the range wrap, never trap", kMonthly2, June(kMax, kMin, 0), June(kMin, kMax, 0),
     "06.2021\t        0.01\t        0.-1\t    0.00ч\t0x00"},
    {"a difference wider than nine digits widens the column", kMonthly2, June(0, 0, 0), June(123456789012LL, 0, 0),
     "06.2021\t1234567890.12\t        0.00\t    0.00ч\t0x00"},
    {"working time that wrapped past 2^32 counts forward", kMonthly2, June(0, 0, 0xFFFFFFF0u), June(0, 0, 0x0E00u),
     "06.2021\t        0.00\t        0.00\t    1.00ч\t0x00"},
    {"working time half the range back is negative", kMonthly2, June(0, 0, 0), June(0, 0, 0x80000000u),
     "06.2021\t        0.00\t        0.00\t-596523.-23ч\t0x00"},
    {"largest voltage", {ArchiveKind::Daily, 1, 2, 2, 0}, Rec(0, 9, 6, 21, 0, 0, 0, 0, 0, 0, 0, 0),
     Rec(0, 10, 6, 21, 65535, 0, 0, 0, 0, 0, 0, 0), "09.06.2021\t        0.00\t        0.00\t    0.00ч\t0x00\t655.35"},
    {"pressure not a number", {ArchiveKind::Hourly, 1, 0, 0, 1}, Rec(1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0),
     Rec(2, 1, 1, 1, 0, 0, 0, 0, 0, std::numeric_limits<float>::quiet_NaN(), 0, 0),
     "01-02ч 01.01.2001\t        0\t        0\t    0.00ч\t0x00\t0.00\t    0\t  nan"},
};

class ArchiveRowTest : public ::testing::TestWithParam<RowCase> {};

TEST_P(ArchiveRowTest, RowAsTheFormatsPrintIt) {
  const RowCase& c = GetParam();
  EXPECT_EQ(FormatArchiveRow(c.format, c.earlier, c.later), std::string(c.row) + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Edges, ArchiveRowTest, ::testing::ValuesIn(kRowCases));

// The sensor columns print what printf("%5.2f") and printf("%3.0f") print, digit for digit,
// halfway cases rounding to even included.
TEST(ArchiveRow, SensorValuesRoundAsPrintfDoes) {
  for (const float v : {0.005f, 0.015f, 0.125f, 2.675f, -0.004f, 99.995f, 1e7f, 3.4e38f, -2.5f, 0.5f, 1.5f}) {
    ArchiveRecord l{};
    l.pressure = v;
    l.temperature = v;
    char pressure[64];
    char temperature[64];
    std::snprintf(pressure, sizeof pressure, "\t%5.2f\r\n", static_cast<double>(v));
    std::snprintf(temperature, sizeof temperature, "\t%3.0f\r\n", static_cast<double>(v));
    EXPECT_TRUE(FormatArchiveRow({ArchiveKind::Hourly, 1, 0, 0, 1}, {}, l).ends_with(pressure)) << v;
    EXPECT_TRUE(FormatArchiveRow({ArchiveKind::Hourly, 1, 0, 0, 2}, {}, l).ends_with(temperature)) << v;
  }
}

// The window program runs in the user's locale; the files always use a point.
TEST(ArchiveRow, PointEvenUnderACommaLocale) {
  ArchiveRecord l{};
  l.voltage = 360;
  l.pressure = 6.4f;
  std::string row;
  {
    test::CommaLocale comma;
    ASSERT_TRUE(comma.Active()) << "no locale with a decimal comma could be made";
    row = FormatArchiveRow({ArchiveKind::Hourly, 1, 0, 0, 1}, ArchiveRecord{}, l);
  }
  EXPECT_TRUE(row.ends_with("\t3.60\t    0\t 6.40\r\n")) << row;
}

struct SkipCase {
  const char* readNow;  // '1' read in this run, '0' not
  std::vector<std::pair<int, int>> rows;
};

void PrintTo(const SkipCase& c, std::ostream* os) { *os << c.readNow; }

class ArchiveSkipTest : public ::testing::TestWithParam<SkipCase> {};

// An entry that was not read ends a run of intervals; the next run starts at the next entry
// that was read, so the file never bridges a gap nor takes an entry of an earlier read.
TEST_P(ArchiveSkipTest, RowsOnlyBetweenNeighboursReadNow) {
  const std::string mask = GetParam().readNow;
  std::vector<ArchiveRecord> table;
  std::vector<bool> readNow;
  for (std::size_t i = 0; i < mask.size(); ++i) {
    table.push_back(Rec(static_cast<std::uint8_t>(i), 1, 1, 21, 0, 0, 0, 0, 0, 0, 0, 0));
    readNow.push_back(mask[i] == '1');
  }
  const ArchiveFileFormat format{ArchiveKind::Hourly, 9, 0, 0, 0};
  std::string expected = FormatArchiveHeader(format);
  for (const auto& [e, l] : GetParam().rows) {
    expected += FormatArchiveRow(format, table[static_cast<std::size_t>(e)], table[static_cast<std::size_t>(l)]);
  }
  EXPECT_EQ(FormatArchiveFile(format, table, readNow), expected);
}

INSTANTIATE_TEST_SUITE_P(Masks, ArchiveSkipTest,
                         ::testing::Values(SkipCase{"11011", {{0, 1}, {3, 4}}}, SkipCase{"10101", {}},
                                           SkipCase{"00111", {{2, 3}, {3, 4}}}, SkipCase{"0110", {{1, 2}}},
                                           SkipCase{"1", {}}));

class ArchiveFileFailure : public ArchiveFileTest {
 protected:
  void SetUp() override { Use({ArchiveKind::Hourly, 123, 2, 2, 1}); }
  ArchiveFileResult Write() { return ArchiveFileTest::Write(ArchiveKind::Hourly); }
};

TEST_F(ArchiveFileFailure, FolderMissingOrNameTakenByAFolderIsAnOpenError) {
  s.OutputDirectory = dir.path / "gone";
  const ArchiveFileResult gone = Write();
  EXPECT_EQ(gone.outcome, ArchiveFileOutcome::NotOpened);
  EXPECT_FALSE(gone.error.empty());
  s.OutputDirectory = dir.path;
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
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(r.outcome, ArchiveFileOutcome::NotWritten);
  EXPECT_EQ(rig.window.messages, (std::vector<std::string>{"Ошибка записи файла: KAMTarchH123.txt"}));
  EXPECT_TRUE(rig.window.Entries("panel1").empty()) << "not reported as saved";
  EXPECT_EQ(ReadFileBytes(dir.path / "KAMTarchH123.txt").value_or(""), "earlier\r\n");
  EXPECT_EQ(Files(), std::vector<std::string>{"KAMTarchH123.txt"}) << "nothing left beside it";
}
#endif

TEST_F(ArchiveFileFailure, ASecondReadReplacesTheFileWhole) {
  ASSERT_TRUE(WriteTextFile(dir.path / "KAMTarchH123.txt", std::string(5000, 'x')));
  EXPECT_EQ(Write().outcome, ArchiveFileOutcome::Saved);
  EXPECT_EQ(ReadFileBytes(dir.path / "KAMTarchH123.txt").value_or(""), Golden("hourly_pressure.txt"));
}

}  // namespace
}  // namespace kamt
