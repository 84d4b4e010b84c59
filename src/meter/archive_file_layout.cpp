#include "meter/archive_file_layout.h"

#include <array>
#include <string>

#include "meter/archive_file.h"
#include "text/text_fields.h"
#include "text/text_lines.h"

namespace kamt {
namespace {

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

}  // namespace

bool ParseTime(ArchiveKind kind, std::string_view text, ArchiveFileRow& row) {
  Scanner s{text};
  bool ok = true;
  if (kind == ArchiveKind::Hourly) ok = s.Byte(row.startHour) && s.Literal("-") && s.Byte(row.hour) && s.Literal("ч ");
  if (ok && kind != ArchiveKind::Monthly) ok = s.Byte(row.day) && s.Literal(".");
  return ok && s.Byte(row.month) && s.Literal(".") && s.Year(row.year) && s.rest.empty();
}

namespace {

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

}  // namespace

bool IsKnownTitle(std::string_view title) {
  for (const auto& [kind, sensor] : kLayouts) {
    if (HeaderLines(kind, sensor).first == title) return true;
  }
  return false;
}

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

}  // namespace kamt
