// The archive viewer's side of the archive files: reading them back, and what it makes of a row and a time range.
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

#include "meter/archive_file_reader.h"
#include "meter/meter_clock_calendar.h"
#include "temp_dir.h"
#include "text/cp1251.h"
#include "text/text_file.h"
#include "viewer/archive_rows.h"
#include "viewer/time_ticks.h"

namespace kamt {
namespace {

std::string Golden(const std::string& name) {
  return ReadFileBytes(std::filesystem::path(KAMT_GOLDEN_DIR) / name).value_or("");
}

// A file of the given UTF-8 lines as the program writes it: Windows-1251, CR LF.
std::string File(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return Utf8ToCp1251(text);
}

const std::string kSerialLine = "КАМТ Заводской номер :\t  123";
const std::string kMonthlyTitle = "Месячный архив";
const std::string kMonthlyColumns = "Время\tОбъем+,м3\tОбъем-,м3\tВремя работы\tКод НС";
const std::string kHourlyPressureColumns =
    "Время\tОбъем+,м3\tОбъем-,м3\tВремя работы\tКод НС\tUару\tЧисло сбоев\tДавление";

std::string Monthly(const std::vector<std::string>& rows) {
  std::vector<std::string> lines = {kSerialLine, kMonthlyTitle, kMonthlyColumns};
  lines.insert(lines.end(), rows.begin(), rows.end());
  return File(lines);
}

ArchiveFileContents ReadOk(std::string_view bytes) {
  ArchiveFileReadResult result = ParseArchiveFile(bytes);
  EXPECT_TRUE(result.contents) << result.error;
  return result.contents.value_or(ArchiveFileContents{});
}

// Every field, so that one the reader leaves unset for a kind is seen as zero.
auto Values(const ArchiveFileRow& r) {
  return std::tuple(r.line, int{r.startHour}, int{r.hour}, int{r.day}, int{r.month}, int{r.year}, r.volumePlus,
                    r.volumeMinus, r.workHundredths, int{r.errorCode}, r.voltageHundredths, r.failures, r.sensor);
}

auto Values(const ArchiveFileFormat& f) {
  return std::tuple(static_cast<int>(f.kind), f.serialNumber, f.plusDecimals, f.minusDecimals, f.sensorType);
}

// A bare LF, a missing last line end and an editor's blank lines at the end read the same. The
// table shows each cell as the file means it, and the time column exactly as printed; the
// values themselves are checked against the writer's records by RandomReadsRoundTrip.
TEST(ArchiveFileReader, EveryKindAndSensorWhateverTheLineEnds) {
  const std::tuple<const char*, ArchiveFileFormat, std::size_t> cases[] = {  // kind, serial, decimals '+' '-', sensor
      {"hourly_pressure.txt", {ArchiveKind::Hourly, 123, 2, 2, 1}, 8},
      {"hourly_temperature.txt", {ArchiveKind::Hourly, 65535, 1, 0, 2}, 8},
      {"hourly_no_sensor.txt", {ArchiveKind::Hourly, 0, 0, 2, 0}, 7},
      {"daily.txt", {ArchiveKind::Daily, 123, 2, 1, 0}, 6},
      {"monthly.txt", {ArchiveKind::Monthly, 123, 2, 2, 0}, 5}};
  for (const auto& [name, format, columns] : cases) {
    const std::string crlf = Golden(name);
    const ArchiveFileContents file = ReadOk(crlf);
    EXPECT_EQ(Values(file.format), Values(format));
    EXPECT_EQ(std::tuple(file.columns.size(), file.utf8, file.rows.size()), std::tuple(columns, false, 3u)) << name;
    std::string lf = crlf;
    std::erase(lf, '\r');
    for (const std::string& bytes : {lf, crlf.substr(0, crlf.size() - 2), crlf + "\r\n\r\n"}) {
      const ArchiveFileContents other = ReadOk(bytes);
      ASSERT_EQ(other.rows.size(), 3u);
      for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(Values(other.rows[i]), Values(file.rows[i])) << i;
    }
    const std::string text = Cp1251ToUtf8(crlf);
    const std::string firstRow = text.substr(text.find('\n', text.find("Время\t")) + 1);
    EXPECT_EQ(CellText(file, file.rows[0], 0, ","), firstRow.substr(0, firstRow.find('\t')));
    const char* const minus[] = {"-5", "-0,5", "-0,05"};
    EXPECT_EQ(CellText(file, file.rows[0], 2, ","), minus[format.minusDecimals]);
    EXPECT_EQ(CellText(file, file.rows[2], 3, ","), "-0,50ч");
    EXPECT_EQ(CellText(file, file.rows[1], 4, ","), "0xFF");
  }
  const std::string utf8 = Cp1251ToUtf8(Golden("daily.txt"));
  for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8}) {  // re-saved in UTF-8, with or without a BOM
    const ArchiveFileContents file = ReadOk(bytes);
    EXPECT_TRUE(file.utf8);
    EXPECT_EQ(std::tuple(file.columns.at(5), file.rows.size(), file.rows.at(2).workHundredths), std::tuple("Uару", 3u, -50));
  }
}

// Negative differences as the formats print them: a quotient of 0 keeps the sign only in the
// remainder. A column of nothing but negative single digits takes the other column's places,
// or the meter's usual two when neither says; a conventional negative number means what it says.
TEST(ArchiveFileReader, VolumeUnitsAndDecimalsOfTheColumns) {
  const struct {
    std::vector<std::string> plus, minus;  // the cells of each row
    int plusDecimals, minusDecimals;
    std::vector<std::int64_t> plusUnits, minusUnits;
  } cases[] = {
      {{"        0.-5", "       -1.-5", "       -1.00"}, {"0.00", "0.-50", "-12.-34"}, 2, 2, {-5, -105, -100},
       {0, -50, -1234}},
      {{"       -5", "12345"}, {"0", "-0"}, 0, 0, {-5, 12345}, {0, 0}},
      {{"        0.-5"}, {"        0.7"}, 1, 1, {-5}, {7}},
      {{"        0.-5"}, {"        0.-7"}, 2, 2, {-5}, {-7}},
      {{"-1.05"}, {"-0.5"}, 2, 1, {-105}, {-5}},
      {{"92233720368547758.07"}, {"-92233720368547758.-8"}, 2, 2, {INT64_MAX}, {INT64_MIN}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < c.plus.size(); ++i) rows.push_back("05.2021\t" + c.plus[i] + "\t" + c.minus[i] + "\t0.00ч\t0x00");
    const ArchiveFileContents file = ReadOk(Monthly(rows));
    EXPECT_EQ(std::tuple(file.format.plusDecimals, file.format.minusDecimals), std::tuple(c.plusDecimals, c.minusDecimals))
        << c.plus[0];
    ASSERT_EQ(file.rows.size(), c.plus.size());
    for (std::size_t i = 0; i < c.plus.size(); ++i) {
      EXPECT_EQ(std::tuple(file.rows[i].volumePlus, file.rows[i].volumeMinus), std::tuple(c.plusUnits[i], c.minusUnits[i]))
          << c.plus[i];
    }
  }
}

std::string HourlyPressure(const std::string& row) {
  return File({kSerialLine, "Часовой архив", kHourlyPressureColumns,
               "22-23ч 31.05.2021\t      123.45\t        0.-5\t    1.50ч\t0x0A\t3.60\t    3\t 6.40", row});
}

const std::string kGoodRow = "23-00ч 01.06.2021\t        0.07\t        0.00\t    0.99ч\t0xFF\t12.34\t65535\t-1.25";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

// The good row with one piece changed.
std::string Bad(const std::string& from, const std::string& to) { return HourlyPressure(Replace(kGoodRow, from, to)); }

// Broken lines: the message names the line and what could not be read.
TEST(ArchiveFileReader, BrokenFileRefusedNamingTheLine) {
  const char* const time = "Строка 5: не удалось прочитать время";
  const char* const plus = "Строка 5: не удалось прочитать объём '+'";
  const struct {
    std::string bytes;
    const char* error;
  } cases[] = {
      {"", "Файл пуст"},
      {File({"Дата\tРасход", "01.01.2021\t5"}), "Строка 1: это не файл архива КАМТ (нет «КАМТ Заводской номер»)"},
      {File({"КАМТ Заводской номер :\t65536"}), "Строка 1: не удалось прочитать заводской номер"},
      {File({kSerialLine}), "Строка 2: нет названия архива"},
      {File({kSerialLine, kMonthlyTitle}), "Строка 3: нет заголовка столбцов"},
      {File({kSerialLine, "Годовой архив", kMonthlyColumns}), "Строка 2: неизвестный вид архива"},
      {File({kSerialLine, kMonthlyTitle, kHourlyPressureColumns}),
       "Строка 3: столбцы не те, что у файла «Месячный архив»"},
      {HourlyPressure("") + Utf8ToCp1251(kGoodRow + "\r\n"), "Строка 5: столбцов 1, а должно быть 8"},
      {Bad("23-00ч", "23:00ч"), time},
      {Bad("23-00ч", "256-00ч"), time},
      {Bad("0.07", "0.7"), plus},
      {Bad("0.07", "1.-7"), plus},
      {Bad("0.07", "92233720368547758.08"), plus},
      {Bad("        0.00", "  "), "Строка 5: не удалось прочитать объём '-'"},
      {Bad("0.99ч", "0.99"), "Строка 5: не удалось прочитать время работы"},
      {Bad("0xFF", "0x100"), "Строка 5: не удалось прочитать код НС"},
      {Bad("12.34", "-12.34"), "Строка 5: не удалось прочитать напряжение Uару"},
      {Bad("65535", "много"), "Строка 5: не удалось прочитать число сбоев"},
      {Bad("-1.25", "-1.2.5"), "Строка 5: не удалось прочитать давление"},
      {File({kSerialLine, "Часовой архив", Replace(kHourlyPressureColumns, "Давление", "Температура"),
             Replace(kGoodRow, "-1.25", "warm")}),
       "Строка 4: не удалось прочитать температуру"},
      // A row pasted from an editor that wrote it in UTF-8 into a file in Windows-1251.
      {HourlyPressure("").substr(0, HourlyPressure("").size() - 2) + kGoodRow + "\r\n",
       "Строка 5: не удалось прочитать время (строка в кодировке UTF-8, а файл в Windows-1251)"},
  };
  for (const auto& c : cases) {
    const ArchiveFileReadResult result = ParseArchiveFile(c.bytes);
    EXPECT_FALSE(result.contents) << c.error;
    EXPECT_EQ(result.error, c.error) << Cp1251ToUtf8(c.bytes);
  }
}

// A read that ended early leaves a file of fewer than two rows: still an archive file. No meter
// archive holds more than 65534 intervals; a huge file is refused from its size, after reading
// no more than the limit.
TEST(ArchiveFileReader, FromHeaderOnlyToTheLargestArchive) {
  std::string bytes = Monthly({});
  const ArchiveFileContents empty = ReadOk(bytes);
  EXPECT_EQ(std::tuple(empty.format.kind, empty.format.serialNumber, empty.title, empty.rows.size(), empty.columns.size()),
            std::tuple(ArchiveKind::Monthly, 123, "Месячный архив", 0u, 5u));
  const std::string row = Utf8ToCp1251("05.2021\t0.00\t0.00\t0.00ч\t0x00\r\n");
  for (std::size_t i = 0; i < kArchiveFileMaxRows; ++i) bytes += row;
  EXPECT_EQ(ReadOk(bytes).rows.size(), kArchiveFileMaxRows);
  bytes += row;
  EXPECT_EQ(ParseArchiveFile(bytes).error, "Строка 65538: в архиве счётчика не бывает больше 65534 интервалов");
  test::TempDir dir;
  EXPECT_EQ(ReadArchiveFile(dir.path / "KAMTarchH1.txt").error, "Не удалось открыть файл");
  EXPECT_EQ(ReadArchiveFile(dir.path).error, "Не удалось открыть файл");
  std::ofstream(dir.path / "huge.txt", std::ios::binary) << Golden("monthly.txt") << std::string(kArchiveFileMaxBytes, ' ');
  EXPECT_EQ(ReadArchiveFile(dir.path / "huge.txt").error, "Файл больше 16 МБ: это не архив КАМТ");
}

// Whatever the writer makes, the reader gives back, and the time column character for character.
TEST(ArchiveFileReader, RandomReadsRoundTrip) {
  std::mt19937_64 random(20240611);
  const std::pair<ArchiveKind, std::uint16_t> layouts[] = {{ArchiveKind::Hourly, 0}, {ArchiveKind::Hourly, 1},
                                                           {ArchiveKind::Hourly, 2}, {ArchiveKind::Daily, 0},
                                                           {ArchiveKind::Monthly, 0}};
  const auto byte = [&] { return static_cast<std::uint8_t>(random()); };
  const auto word = [&] { return static_cast<std::uint16_t>(random()); };
  for (int trial = 0; trial < 200; ++trial) {
    const auto [kind, sensor] = layouts[trial % 5];
    const auto plusDecimals = static_cast<std::uint16_t>(random() % 3);
    const ArchiveFileFormat format{kind, word(), plusDecimals, static_cast<std::uint16_t>(random() % 3), sensor};
    std::vector<ArchiveRecord> table(2 + random() % 30);
    for (std::size_t i = 0; i < table.size(); ++i) {
      // The first interval grows, so each column shows its decimal places.
      const std::int64_t step = i == 1 ? 1000 : static_cast<std::int64_t>(random() % 2001) - 1000;
      const std::int64_t plus = i == 0 ? static_cast<std::int64_t>(random() % 100000) : table[i - 1].volumePlus + step;
      const std::int64_t minus = i == 0 ? 0 : table[i - 1].volumeMinus + step / 3;
      table[i] = {byte(), byte(), byte(), byte(), word(), word(), plus, minus, static_cast<std::uint32_t>(random()),
                  static_cast<float>(static_cast<int>(random() % 200001) - 100000) / 100.0f,
                  static_cast<float>(static_cast<int>(random() % 401) - 200), byte()};
    }
    const std::string printed = FormatArchiveFile(format, table, std::vector<bool>(table.size(), true));
    const ArchiveFileReadResult read = ParseArchiveFile(Utf8ToCp1251(printed));
    ASSERT_TRUE(read.contents) << read.error << "\n" << printed;
    EXPECT_EQ(Values(read.contents->format), Values(format));
    ASSERT_EQ(read.contents->rows.size(), table.size() - 1);
    const bool hourly = kind == ArchiveKind::Hourly;
    for (std::size_t k = 0; k + 1 < table.size(); ++k) {
      const ArchiveRecord &e = table[k], &l = table[k + 1], &dated = hourly ? l : e;
      const ArchiveFileRow& row = read.contents->rows[k];
      const auto seconds = static_cast<std::int32_t>(l.workSeconds - e.workSeconds);
      EXPECT_EQ(std::tuple(row.line, row.volumePlus, row.volumeMinus, row.workHundredths, int{row.errorCode},
                           int{row.month}, int{row.year}, row.voltageHundredths, row.failures, int{row.startHour},
                           int{row.hour}, int{row.day}),
                std::tuple(static_cast<int>(k) + 4, l.volumePlus - e.volumePlus, l.volumeMinus - e.volumeMinus,
                           std::int64_t{seconds / 3600 * 100 + seconds % 3600 / 36}, int{l.errorCode},
                           int{dated.month}, int{dated.year}, kind == ArchiveKind::Monthly ? 0 : l.voltage,
                           hourly ? l.failures : 0, hourly ? int{e.hour} : 0, hourly ? int{l.hour} : 0,
                           kind == ArchiveKind::Monthly ? 0 : int{dated.day}));
      EXPECT_NEAR(row.sensor, sensor == 1 ? l.pressure : sensor == 2 ? l.temperature : 0.0f, sensor == 1 ? 0.0051 : 0.5);
      EXPECT_NE(printed.find("\n" + TimeText(kind, row) + "\t"), std::string::npos) << TimeText(kind, row);
    }
  }
}

long long At(int year, int month, int day, int hour) { return *WallSeconds({year, month, day, hour, 0, 0}); }

// Where a row lies in time, from its time column.
TEST(ArchiveRows, IntervalFromTheTimeColumn) {
  const struct {
    const char* time;
    ArchiveKind kind;
    std::optional<RowInterval> interval;
  } cases[] = {
      {"22-23ч 31.05.2021", ArchiveKind::Hourly, RowInterval{At(2021, 5, 31, 22), At(2021, 5, 31, 23)}},
      // The date is the later record's: the hour to midnight belongs to the day before.
      {"23-00ч 01.03.2024", ArchiveKind::Hourly, RowInterval{At(2024, 2, 29, 23), At(2024, 3, 1, 0)}},
      {"23-00ч 01.01.2021", ArchiveKind::Hourly, RowInterval{At(2020, 12, 31, 23), At(2021, 1, 1, 0)}},
      // Records missing for some hours: the interval spans them.
      {"21-03ч 02.06.2021", ArchiveKind::Hourly, RowInterval{At(2021, 6, 1, 21), At(2021, 6, 2, 3)}},
      {"05-05ч 02.06.2021", ArchiveKind::Hourly, RowInterval{At(2021, 6, 1, 5), At(2021, 6, 2, 5)}},
      {"24-01ч 02.06.2021", ArchiveKind::Hourly, std::nullopt},
      {"10-11ч 29.02.2021", ArchiveKind::Hourly, std::nullopt},
      {"31.05.2021", ArchiveKind::Daily, RowInterval{At(2021, 5, 31, 0), At(2021, 6, 1, 0)}},
      {"00.05.2021", ArchiveKind::Daily, std::nullopt},
      {"12.2021", ArchiveKind::Monthly, RowInterval{At(2021, 12, 1, 0), At(2022, 1, 1, 0)}},
      {"13.2024", ArchiveKind::Monthly, std::nullopt}};
  for (const auto& c : cases) {
    const char* tail = c.kind == ArchiveKind::Hourly ? "\t0.00\t    0" : c.kind == ArchiveKind::Daily ? "\t0.00" : "";
    const ArchiveFileContents file = ReadOk(Utf8ToCp1251(FormatArchiveHeader({c.kind, 1, 0, 0, 0}) + c.time +
                                                         "\t0\t0\t0.00ч\t0x00" + tail + "\r\n"));
    ASSERT_EQ(file.rows.size(), 1u) << c.time;
    EXPECT_EQ(TimeText(c.kind, file.rows[0]), c.time);
    const auto interval = IntervalOf(c.kind, file.rows[0]);
    ASSERT_EQ(interval.has_value(), c.interval.has_value()) << c.time;
    if (!interval) continue;
    EXPECT_EQ(WallTimeText(interval->start), WallTimeText(c.interval->start)) << c.time;
    EXPECT_EQ(WallTimeText(interval->end), WallTimeText(c.interval->end)) << c.time;
  }
}

// The tooltip names every column and the interval; numbers with the sign in front.
TEST(ArchiveRows, SummaryNamesEveryColumnAndTheInterval) {
  const ArchiveFileContents file = ReadOk(Golden("hourly_pressure.txt"));
  EXPECT_EQ(RowSummary(file, file.rows[1], ","),
            "23-00ч 01.06.2021\n31.05.2021 23:00 – 01.06.2021 00:00\nОбъем+,м3: 0,07\nОбъем-,м3: 0,00\n"
            "Время работы: 0,99ч\nКод НС: 0xFF\nUару: 12,34\nЧисло сбоев: 65535\nДавление: -1,25");
  const ArchiveFileContents blank = ReadOk(Monthly({"255.20255\t0.00\t0.00\t0.00ч\t0x00"}));
  EXPECT_EQ(RowSummary(blank, blank.rows[0], "."), "255.20255\nОбъем+,м3: 0.00\nОбъем-,м3: 0.00\nВремя работы: 0.00ч\nКод НС: 0x00");
  const std::tuple<std::int64_t, int, const char*> cases[] = {
      {-5, 2, "-0,05"}, {-5, 1, "-0,5"}, {12345, 0, "12345"}, {INT64_MIN, 2, "-92233720368547758,08"}};
  for (const auto& [units, decimals, text] : cases) EXPECT_EQ(DecimalText(units, decimals, ","), text) << units;
  const ArchiveFileContents nan = ReadOk(Bad("-1.25", "  nan"));
  EXPECT_TRUE(std::isnan(nan.rows[1].sensor));
  EXPECT_EQ(CellText(nan, nan.rows[1], 7, ","), "nan");
}

// Calendar marks inside the range, in order, on a step that fits the count asked for.
TEST(TimeTicks, CalendarMarks) {
  const struct {
    long long from, to;
    int maxTicks;
    std::vector<std::string> labels;
  } cases[] = {
      {At(2021, 5, 31, 21) + 600, At(2021, 6, 1, 1), 10, {"22:00 31.05", "23:00 31.05", "00:00 01.06", "01:00 01.06"}},
      {At(2021, 5, 30, 12), At(2021, 6, 2, 12), 6, {"31.05.2021", "01.06.2021", "02.06.2021"}},
      {At(2020, 11, 15, 0), At(2021, 3, 2, 0), 6, {"12.2020", "01.2021", "02.2021", "03.2021"}},
      {At(2000, 6, 1, 0), At(2099, 1, 1, 0), 12,
       {"2010", "2020", "2030", "2040", "2050", "2060", "2070", "2080", "2090"}},
      {At(2021, 1, 1, 5), At(2021, 1, 1, 5), 5, {"05:00 01.01"}},
      {At(2021, 1, 1, 6), At(2021, 1, 1, 5), 5, {}},
      // Before 1970 the marks stay on whole hours.
      {At(1969, 12, 31, 22), At(1970, 1, 1, 1), 8, {"22:00 31.12", "23:00 31.12", "00:00 01.01",
                                                    "01:00 01.01"}}};
  for (const auto& c : cases) {
    const std::vector<TimeTick> ticks = TimeTicks(static_cast<double>(c.from), static_cast<double>(c.to), c.maxTicks);
    std::vector<std::string> labels;
    for (const TimeTick& t : ticks) labels.push_back(t.label);
    EXPECT_EQ(labels, c.labels) << WallTimeText(c.from) << " .. " << WallTimeText(c.to);
    for (const TimeTick& t : ticks) EXPECT_TRUE(t.seconds >= c.from && t.seconds <= c.to) << t.label;
  }
  EXPECT_TRUE(TimeTicks(std::nan(""), 1, 5).empty());
  EXPECT_TRUE(TimeTicks(0, 1e300, 5).empty());
}

}  // namespace
}  // namespace kamt
