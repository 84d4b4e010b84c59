#include "meter/archive_file_reader.h"

#include <array>
#include <charconv>
#include <fstream>
#include <limits>

#include "text/cp1251.h"
#include "text/text_lines.h"

namespace kamt {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kSerialPrefix = "КАМТ Заводской номер :\t";

// What one cell of a row holds, in the order of the columns; the name says what could not
// be read ("не удалось прочитать " + name).
enum class Cell { Time, Plus, Minus, Work, Code, Voltage, Failures, Sensor };

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t extra = 0;
    unsigned min = 0;
    if (c < 0x80) {
      ++i;
      continue;
    }
    if (c >= 0xC2 && c <= 0xDF) extra = 1, min = 0x80;
    else if (c >= 0xE0 && c <= 0xEF) extra = 2, min = 0x800;
    else if (c >= 0xF0 && c <= 0xF4) extra = 3, min = 0x10000;
    else return false;
    if (i + extra >= s.size()) return false;
    unsigned value = c & (0x3Fu >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(s[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      value = value << 6 | (next & 0x3Fu);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

bool HasHighBytes(std::string_view s) {
  for (const char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

// The lines of the file without their ends; blank lines after the last row are an editor's,
// not the file's.
std::vector<std::string> FileLines(std::string_view bytes) {
  std::vector<std::string> lines = SplitLines(bytes);
  while (!lines.empty() && lines.back().find_first_not_of(" \t") == std::string::npos) lines.pop_back();
  return lines;
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t tab; (tab = line.find('\t')) != std::string_view::npos; line.remove_prefix(tab + 1)) {
    fields.push_back(line.substr(0, tab));
  }
  fields.push_back(line);
  return fields;
}

std::string_view Trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

template <typename T>
bool ParseWhole(std::string_view s, T& value, int base = 10) {
  if (s.empty() || s.front() == '+') return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  return ec == std::errc() && end == s.data() + s.size();
}

// "%5.2f" or "%3.0f" of a float; "nan" and "inf" are what a sensor's bad reading prints.
bool ParseReal(std::string_view s, double& value) {
  if (s.empty() || s.front() == '+') return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size();
}

// Reads a field left to right: the time column's numbers and the letters between them.
struct Scanner {
  std::string_view rest;

  bool Literal(std::string_view text) {
    if (!rest.starts_with(text)) return false;
    rest.remove_prefix(text.size());
    return true;
  }
  // A byte printed with "%02d": at least one digit, never more than three.
  bool Byte(std::uint8_t& value) {
    std::size_t digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') ++digits;
    unsigned number = 0;
    if (digits == 0 || digits > 3 || !ParseWhole(rest.substr(0, digits), number) || number > 255) return false;
    value = static_cast<std::uint8_t>(number);
    rest.remove_prefix(digits);
    return true;
  }
  // "20" and the year within the century: "2021", or "20100" for a year byte of 100.
  bool Year(std::uint8_t& value) { return Literal("20") && rest.size() >= 2 && Byte(value); }
};

bool ParseTime(ArchiveKind kind, std::string_view text, ArchiveFileRow& row) {
  Scanner s{text};
  bool ok = true;
  if (kind == ArchiveKind::Hourly) ok = s.Byte(row.startHour) && s.Literal("-") && s.Byte(row.hour) && s.Literal("ч ");
  if (ok && kind != ArchiveKind::Monthly) ok = s.Byte(row.day) && s.Literal(".");
  return ok && s.Byte(row.month) && s.Literal(".") && s.Year(row.year) && s.rest.empty();
}

// A number printed as "%d.%0Nd" of a quotient and a remainder that keep the sign of what was
// divided: -5 hundredths print "0.-5", -105 print "-1.-5". Without a point, the whole number.
struct SplitDecimal {
  std::int64_t whole = 0;
  bool negativeWhole = false;
  bool hasPoint = false;
  std::int64_t fraction = 0;  // signed, as printed
  std::size_t fractionDigits = 0;
};

std::optional<SplitDecimal> ParseSplitDecimal(std::string_view text) {
  SplitDecimal d;
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  if (!ParseWhole(whole, d.whole)) return std::nullopt;
  d.negativeWhole = whole.front() == '-';
  if (point == std::string_view::npos) return d;
  d.hasPoint = true;
  const std::string_view fraction = text.substr(point + 1);
  d.fractionDigits = fraction.size() - (fraction.starts_with('-') ? 1 : 0);
  if (d.fractionDigits == 0 || d.fractionDigits > 2 || !ParseWhole(fraction, d.fraction)) return std::nullopt;
  return d;
}

// Whether the printed remainder fits a counter of that many decimal places: a remainder that
// is not negative carries all its digits, a negative one drops its leading zeros.
bool FitsDecimals(const SplitDecimal& d, int decimals) {
  if (decimals == 0) return !d.hasPoint;
  if (!d.hasPoint) return false;
  if (d.fraction < 0) return d.fractionDigits <= static_cast<std::size_t>(decimals) && d.whole <= 0;
  return d.fractionDigits == static_cast<std::size_t>(decimals);
}

// In units of the last decimal place. A conventional "-1.05" is taken as the -105 it means.
std::optional<std::int64_t> Units(const SplitDecimal& d, int decimals) {
  const std::int64_t scale = decimals == 0 ? 1 : decimals == 1 ? 10 : 100;
  std::int64_t units = 0;
  if (__builtin_mul_overflow(d.whole, scale, &units)) return std::nullopt;
  const std::int64_t fraction = d.negativeWhole && d.fraction > 0 ? -d.fraction : d.fraction;
  if (__builtin_add_overflow(units, fraction, &units)) return std::nullopt;
  return units;
}

std::optional<std::int64_t> ParseFixed2(std::string_view text) {
  const auto d = ParseSplitDecimal(Trim(text));
  if (!d || !FitsDecimals(*d, 2)) return std::nullopt;
  return Units(*d, 2);
}

// The decimal places of a volume column: what its rows show. Only a column whose every
// remainder is a negative single digit leaves it open; then the other column's count is the
// likelier one (both counters are usually set alike), else the meter's usual two.
int ColumnDecimals(const std::vector<SplitDecimal>& cells, int otherColumn) {
  for (const SplitDecimal& d : cells) {
    if (!d.hasPoint) return 0;
    if (d.fraction >= 0 || d.fractionDigits == 2) return static_cast<int>(d.fractionDigits);
  }
  return otherColumn > 0 ? otherColumn : 2;
}

struct Layout {
  ArchiveKind kind;
  std::uint16_t sensorType;
  std::vector<Cell> cells;
};

constexpr std::array<std::pair<ArchiveKind, std::uint16_t>, 5> kLayouts = {
    {{ArchiveKind::Hourly, 0}, {ArchiveKind::Hourly, 1}, {ArchiveKind::Hourly, 2}, {ArchiveKind::Daily, 0},
     {ArchiveKind::Monthly, 0}}};

// Lines 2 and 3 of a file (the kind's title and its columns) as the writer makes them.
std::pair<std::string, std::string> HeaderLines(ArchiveKind kind, std::uint16_t sensorType) {
  ArchiveFileFormat format;
  format.kind = kind;
  format.sensorType = sensorType;
  const std::string header = FormatArchiveHeader(format);
  const std::vector<std::string> lines = SplitLines(header);
  return {lines.at(1), lines.at(2)};
}

bool IsKnownTitle(std::string_view title) {
  for (const auto& [kind, sensor] : kLayouts) {
    if (HeaderLines(kind, sensor).first == title) return true;
  }
  return false;
}

// The header says which kind of archive, and for the hourly one which sensor, the file is.
std::optional<Layout> FindLayout(std::string_view title, std::string_view columns) {
  for (const auto& [kind, sensor] : kLayouts) {
    const auto [kindTitle, kindColumns] = HeaderLines(kind, sensor);
    if (kindTitle != title || kindColumns != columns) continue;
    std::vector<Cell> cells = {Cell::Time, Cell::Plus, Cell::Minus, Cell::Work, Cell::Code};
    if (kind != ArchiveKind::Monthly) cells.push_back(Cell::Voltage);
    if (kind == ArchiveKind::Hourly) cells.push_back(Cell::Failures);
    if (sensor != 0) cells.push_back(Cell::Sensor);
    return Layout{kind, sensor, std::move(cells)};
  }
  return std::nullopt;
}

std::string_view CellName(Cell cell, std::uint16_t sensorType) {
  switch (cell) {
    case Cell::Time: return "время";
    case Cell::Plus: return "объём '+'";
    case Cell::Minus: return "объём '-'";
    case Cell::Work: return "время работы";
    case Cell::Code: return "код НС";
    case Cell::Voltage: return "напряжение Uару";
    case Cell::Failures: return "число сбоев";
    case Cell::Sensor: return sensorType == 1 ? "давление" : "температуру";
  }
  return {};
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
