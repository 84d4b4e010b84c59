#include "meter/archive_file_reader.h"

#include <array>
#include <fstream>

#include "meter/archive_file_layout.h"
#include "meter/archive_file_numbers.h"
#include "text/cp1251.h"
#include "text/text_fields.h"
#include "text/text_lines.h"
#include "text/utf8.h"

namespace kamt {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kSerialPrefix = "КАМТ Заводской номер :\t";

// The lines of the file without their ends; blank lines after the last row are an editor's,
// not the file's.
std::vector<std::string> FileLines(std::string_view bytes) {
  std::vector<std::string> lines = SplitLines(bytes);
  while (!lines.empty() && lines.back().find_first_not_of(" \t") == std::string::npos) lines.pop_back();
  return lines;
}

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  ArchiveFileReadResult Read() {
    if (bytes_.size() > kArchiveFileMaxBytes) return Fail("Файл больше 16 МБ: это не архив КАМТ");
    contents_.utf8 = bytes_.starts_with(kUtf8Bom) || (HasHighBytes(bytes_) && IsValidUtf8(bytes_));
    if (bytes_.starts_with(kUtf8Bom)) bytes_.remove_prefix(kUtf8Bom.size());
    raw_ = FileLines(bytes_);
    if (raw_.empty()) return Fail("Файл пуст");
    if (!ReadHeader()) return Fail(error_);
    if (raw_.size() - 3 > kArchiveFileMaxRows) {
      return Fail(LinePrefix(3 + kArchiveFileMaxRows + 1) + "в архиве счётчика не бывает больше 65534 интервалов");
    }
    for (std::size_t i = 3; i < raw_.size(); ++i) {
      if (!ReadRow(i)) return Fail(error_);
    }
    if (!ConvertVolumes()) return Fail(error_);
    ArchiveFileReadResult result;
    result.contents = std::move(contents_);
    return result;
  }

 private:
  static ArchiveFileReadResult Fail(std::string error) { return {std::nullopt, std::move(error)}; }
  static std::string LinePrefix(std::size_t line) { return "Строка " + std::to_string(line) + ": "; }

  std::string Text(std::size_t index) const {
    return contents_.utf8 ? raw_[index] : Cp1251ToUtf8(raw_[index]);
  }

  bool Error(std::size_t index, std::string_view what) {
    error_ = LinePrefix(index + 1) + std::string(what);
    // A line pasted from an editor that saved it in UTF-8 into a file in Windows-1251.
    if (index < raw_.size() && !contents_.utf8 && HasHighBytes(raw_[index]) && IsValidUtf8(raw_[index])) {
      error_ += " (строка в кодировке UTF-8, а файл в Windows-1251)";
    }
    return false;
  }

  bool ReadHeader() {
    const std::string first = Text(0);
    if (!first.starts_with(kSerialPrefix)) return Error(0, "это не файл архива КАМТ (нет «КАМТ Заводской номер»)");
    std::uint16_t serial = 0;
    if (!ParseWhole(Trim(std::string_view(first).substr(kSerialPrefix.size())), serial)) {
      return Error(0, "не удалось прочитать заводской номер");
    }
    contents_.format.serialNumber = serial;
    if (raw_.size() < 2) return Error(1, "нет названия архива");
    if (raw_.size() < 3) return Error(2, "нет заголовка столбцов");
    const std::string title = Text(1);
    const std::string columns = Text(2);
    const std::optional<Layout> layout = FindLayout(title, columns);
    if (!layout) {
      return IsKnownTitle(title) ? Error(2, "столбцы не те, что у файла «" + title + "»")
                                 : Error(1, "неизвестный вид архива");
    }
    contents_.format.kind = layout->kind;
    contents_.format.sensorType = layout->sensorType;
    cells_ = layout->cells;
    contents_.title = title;
    for (const std::string_view name : SplitTabs(columns)) contents_.columns.emplace_back(name);
    return true;
  }

  bool ReadRow(std::size_t index) {
    const std::string text = Text(index);
    const std::vector<std::string_view> fields = SplitTabs(text);
    if (fields.size() != cells_.size()) {
      return Error(index, "столбцов " + std::to_string(fields.size()) + ", а должно быть " +
                              std::to_string(cells_.size()));
    }
    ArchiveFileRow row;
    row.line = static_cast<int>(index + 1);
    for (std::size_t c = 0; c < cells_.size(); ++c) {
      if (!ReadCell(cells_[c], fields[c], row)) {
        return Error(index, "не удалось прочитать " + std::string(CellName(cells_[c], contents_.format.sensorType)));
      }
    }
    contents_.rows.push_back(row);
    return true;
  }

  bool ReadCell(Cell cell, std::string_view field, ArchiveFileRow& row) {
    switch (cell) {
      case Cell::Time: return ParseTime(contents_.format.kind, field, row);
      case Cell::Plus: return ReadVolume(field, plus_);
      case Cell::Minus: return ReadVolume(field, minus_);
      case Cell::Work: {
        const auto hundredths = field.ends_with("ч") ? ParseFixed2(field.substr(0, field.size() - 2)) : std::nullopt;
        row.workHundredths = hundredths.value_or(0);
        return hundredths.has_value();
      }
      case Cell::Code: return field.size() > 2 && field.size() <= 4 && (field.starts_with("0x") || field.starts_with("0X")) &&
                              ParseWhole(field.substr(2), row.errorCode, 16);
      case Cell::Voltage: {
        const auto hundredths = ParseFixed2(field);
        row.voltageHundredths = hundredths.value_or(0);
        return hundredths && *hundredths >= 0;
      }
      case Cell::Failures: return ParseWhole(Trim(field), row.failures) && row.failures >= 0;
      case Cell::Sensor: return ParseReal(Trim(field), row.sensor);
    }
    return false;
  }

  static bool ReadVolume(std::string_view field, std::vector<SplitDecimal>& column) {
    const auto d = ParseSplitDecimal(Trim(field));
    if (d) column.push_back(*d);
    return d.has_value();
  }

  // The decimal places are the column's: they are known only once every row is in.
  bool ConvertVolumes() {
    const int plusFirst = ColumnDecimals(plus_, 0);
    const int minus = ColumnDecimals(minus_, plusFirst);
    const int plus = ColumnDecimals(plus_, minus);
    contents_.format.plusDecimals = static_cast<std::uint16_t>(plus);
    contents_.format.minusDecimals = static_cast<std::uint16_t>(minus);
    for (std::size_t r = 0; r < contents_.rows.size(); ++r) {
      ArchiveFileRow& row = contents_.rows[r];
      const auto index = static_cast<std::size_t>(row.line - 1);
      const auto p = FitsDecimals(plus_[r], plus) ? Units(plus_[r], plus) : std::nullopt;
      if (!p) return Error(index, "не удалось прочитать объём '+'");
      const auto m = FitsDecimals(minus_[r], minus) ? Units(minus_[r], minus) : std::nullopt;
      if (!m) return Error(index, "не удалось прочитать объём '-'");
      row.volumePlus = *p;
      row.volumeMinus = *m;
    }
    return true;
  }

  std::string_view bytes_;
  std::vector<std::string> raw_;
  std::vector<Cell> cells_;
  std::vector<SplitDecimal> plus_, minus_;
  ArchiveFileContents contents_;
  std::string error_;
};

}  // namespace

ArchiveFileReadResult ParseArchiveFile(std::string_view bytes) { return Reader(bytes).Read(); }

ArchiveFileReadResult ReadArchiveFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return {std::nullopt, "Не удалось открыть файл"};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {std::nullopt, "Не удалось открыть файл"};
  std::string bytes;
  std::array<char, 65536> chunk{};
  // One byte past the limit is enough to know the file is too large.
  while (bytes.size() <= kArchiveFileMaxBytes && in.read(chunk.data(), chunk.size()).gcount() > 0) {
    bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) return {std::nullopt, "Не удалось прочитать файл"};
  return ParseArchiveFile(bytes);
}

}  // namespace kamt
