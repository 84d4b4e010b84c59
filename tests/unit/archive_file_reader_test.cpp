// The archive viewer's side of the archive files: reading them back, and what it makes of a row and a time range.
#include <gtest/gtest.h>

#include "meter/archive_file_reader.h"
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

// Every kind and sensor is told from its header. A bare LF, a missing last line end and an
// editor's blank lines at the end read the same; so does a copy re-saved in UTF-8.
TEST(ArchiveFileReader, EveryKindAndSensorWhateverTheLineEnds) {
  const std::pair<const char*, ArchiveFileFormat> cases[] = {  // kind, serial, decimals '+' '-', sensor
      {"hourly_pressure.txt", {ArchiveKind::Hourly, 123, 2, 2, 1}}, {"hourly_temperature.txt", {ArchiveKind::Hourly, 65535, 1, 0, 2}},
      {"hourly_no_sensor.txt", {ArchiveKind::Hourly, 0, 0, 2, 0}}, {"daily.txt", {ArchiveKind::Daily, 123, 2, 1, 0}},
      {"monthly.txt", {ArchiveKind::Monthly, 123, 2, 2, 0}}};
  for (const auto& [name, format] : cases) {
    const std::string crlf = Golden(name);
    const ArchiveFileContents file = ReadOk(crlf);
    EXPECT_EQ(std::tuple(Values(file.format), file.rows.size(), file.utf8), std::tuple(Values(format), 3u, false)) << name;
    std::string lf = crlf;
    std::erase(lf, '\r');
    for (const std::string& bytes : {lf, crlf.substr(0, crlf.size() - 2), crlf + "\r\n\r\n", "\xEF\xBB\xBF" + Cp1251ToUtf8(crlf)}) {
      const ArchiveFileContents other = ReadOk(bytes);
      ASSERT_EQ(other.rows.size(), 3u);
      for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(Values(other.rows[i]), Values(file.rows[i])) << i;
    }
    EXPECT_EQ(CellText(file, file.rows[2], 3, ","), "-0,50ч");
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

}  // namespace
}  // namespace kamt
