// The archive viewer's side of the archive files: reading them back, and what it makes of a row and a time range.
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>

#include "meter/archive_file_reader.h"
#include "meter/meter_clock_calendar.h"
#include "temp_dir.h"
#include "text/cp1251.h"
#include "text/text_file.h"
#include "viewer/archive_rows.h"

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
    const char* const minus[] = {"-5", "-0,5", "-0,05"};
    EXPECT_EQ(std::tuple(CellText(file, file.rows[0], 2, ","), CellText(file, file.rows[2], 3, ",")),
              std::tuple(minus[format.minusDecimals], "-0,50ч"));
  }
  const std::string utf8 = Cp1251ToUtf8(Golden("daily.txt"));
  for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8}) {  // re-saved in UTF-8, with or without a BOM
    const ArchiveFileContents file = ReadOk(bytes);
    EXPECT_TRUE(file.utf8);
    EXPECT_EQ(std::tuple(file.columns.at(5), file.rows.size(), file.rows.at(2).workHundredths), std::tuple("Uару", 3u, -50));
  }
}

// Negative differences as the formats print them ("0.-5": a quotient of 0 keeps the sign only in
// the remainder); a column of nothing but negative single digits takes the other column's places.
TEST(ArchiveFileReader, VolumeUnitsAndDecimalsOfTheColumns) {
  const ArchiveFileContents file = ReadOk(Monthly({"05.2021\t        0.-5\t0.00\t0.00ч\t0x00", "05.2021\t       -1.-5\t"
                                                   "-12.-34\t0.00ч\t0x00", "05.2021\t-1.05\t-0.50\t0.00ч\t0x00"}));
  EXPECT_EQ(std::tuple(file.format.plusDecimals, file.format.minusDecimals), std::tuple(2, 2));
  ASSERT_EQ(file.rows.size(), 3u);
  EXPECT_EQ(std::tuple(file.rows[0].volumePlus, file.rows[1].volumePlus, file.rows[1].volumeMinus, file.rows[2].volumePlus),
            std::tuple(-5, -105, -1234, -105));
  EXPECT_EQ(ReadOk(Monthly({"05.2021\t        0.-5\t        0.7\t0.00ч\t0x00"})).format.plusDecimals, 1);
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
      {Bad("0.07", "0.7"), "Строка 5: не удалось прочитать объём '+'"},
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
    EXPECT_EQ(interval ? std::pair(interval->start, interval->end) : std::pair(0LL, 0LL),
              c.interval ? std::pair(c.interval->start, c.interval->end) : std::pair(0LL, 0LL)) << c.time;
  }
}

// The tooltip names every column and the interval, numbers with the sign in front.
TEST(ArchiveRows, SummaryNamesEveryColumnAndTheInterval) {
  const ArchiveFileContents file = ReadOk(Golden("hourly_pressure.txt"));
  EXPECT_EQ(RowSummary(file, file.rows[1], ","),
            "23-00ч 01.06.2021\n31.05.2021 23:00 – 01.06.2021 00:00\nОбъем+,м3: 0,07\nОбъем-,м3: 0,00\n"
            "Время работы: 0,99ч\nКод НС: 0xFF\nUару: 12,34\nЧисло сбоев: 65535\nДавление: -1,25");
  EXPECT_EQ(DecimalText(INT64_MIN, 2, ","), "-92233720368547758,08");
}

}  // namespace
}  // namespace kamt
