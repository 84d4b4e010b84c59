// Archive records of any content, as the meter sends them, through the decoder and into the
// archive file's text: any kind, sensor type, counter decimals and serial number, and any
// pattern of records read and skipped from any first index. The file must stay a file of
// whole CR LF lines in Windows-1251, one row per two neighbouring records read, each row with
// its kind's columns and counter differences that are exactly the records' own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "meter/archive_decode.h"
#include "meter/archive_file.h"
#include "text/cp1251.h"

namespace {

std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find("\r\n", at);
    if (end == std::string::npos) __builtin_trap();  // a line without its CR LF
    const std::string line = text.substr(at, end - at);
    if (line.find_first_of("\r\n") != std::string::npos) __builtin_trap();
    lines.push_back(line);
    at = end + 2;
  }
  return lines;
}

std::vector<std::string> Fields(const std::string& row) {
  std::vector<std::string> fields;
  std::size_t at = 0;
  for (std::size_t tab; (tab = row.find('\t', at)) != std::string::npos; at = tab + 1) fields.push_back(row.substr(at, tab - at));
  fields.push_back(row.substr(at));
  return fields;
}

// A counter column printed as the integer part and the remainder of the difference in units
// of its last decimal: "   123.45" with two decimals, "0.-5" for -5 hundredths.
long long Difference(const std::string& field, std::uint16_t decimals) {
  const long long unit = decimals == 0 ? 1 : decimals == 1 ? 10 : 100;
  const std::size_t point = field.find('.', field.find_first_not_of(" -"));
  if ((unit == 1) != (point == std::string::npos)) __builtin_trap();
  const long long whole = std::strtoll(field.substr(0, point).c_str(), nullptr, 10);
  if (unit == 1) return whole;
  const long long part = std::strtoll(field.substr(point + 1).c_str(), nullptr, 10);
  return static_cast<long long>(static_cast<unsigned long long>(whole) * static_cast<unsigned long long>(unit) +
                                static_cast<unsigned long long>(part));
}

long long Growth(std::int64_t later, std::int64_t earlier) {
  return static_cast<long long>(static_cast<std::uint64_t>(later) - static_cast<std::uint64_t>(earlier));
}

std::size_t ColumnCount(const kamt::ArchiveFileFormat& f) {
  switch (f.kind) {
    case kamt::ArchiveKind::Hourly: return f.sensorType == 1 || f.sensorType == 2 ? 8 : 7;
    case kamt::ArchiveKind::Daily: return 6;
    case kamt::ArchiveKind::Monthly: return 5;
  }
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kHead = 8;
  constexpr std::size_t kEntry = 1 + kamt::kArchiveRecordSize;  // read or not, then the record
  if (size < kHead) return 0;
  kamt::ArchiveFileFormat format;
  format.kind = static_cast<kamt::ArchiveKind>(data[0] % 3);
  format.plusDecimals = data[1];
  format.minusDecimals = data[2];
  format.sensorType = static_cast<std::uint16_t>(data[3] << 8 | data[4]);
  format.serialNumber = static_cast<std::uint16_t>(data[5] << 8 | data[6]);
  const std::size_t start = data[7];  // records before the first index are never read

  std::vector<kamt::ArchiveRecord> table;
  std::vector<bool> readNow;
  for (std::size_t at = kHead; at + kEntry <= size; at += kEntry) {
    const std::span<const std::uint8_t, kamt::kArchiveRecordSize> bytes(data + at + 1, kamt::kArchiveRecordSize);
    table.push_back(kamt::DecodeArchiveRecord(bytes));
    readNow.push_back(table.size() > start && (data[at] & 1) != 0);
  }

  const std::string text = kamt::FormatArchiveFile(format, table, readNow);
  if (kamt::Cp1251ToUtf8(kamt::Utf8ToCp1251(text)) != text) __builtin_trap();
  const std::vector<std::string> lines = CrLfLines(text);
  if (!text.starts_with(kamt::FormatArchiveHeader(format)) || lines.size() < 3) __builtin_trap();

  std::size_t row = 3;
  for (std::size_t i = 1; i < table.size(); ++i) {
    if (!readNow[i - 1] || !readNow[i]) continue;
    if (row >= lines.size()) __builtin_trap();  // a row missing
    const std::vector<std::string> fields = Fields(lines[row++]);
    if (fields.size() != ColumnCount(format)) __builtin_trap();
    const kamt::ArchiveRecord& e = table[i - 1];
    const kamt::ArchiveRecord& l = table[i];
    if (Difference(fields[1], format.plusDecimals) != Growth(l.volumePlus, e.volumePlus)) __builtin_trap();
    if (Difference(fields[2], format.minusDecimals) != Growth(l.volumeMinus, e.volumeMinus)) __builtin_trap();
    if (!fields[3].ends_with("ч") || !fields[4].starts_with("0x") || fields[4].size() != 4) __builtin_trap();
  }
  if (row != lines.size()) __builtin_trap();  // a row for an interval not read
  return 0;
}
