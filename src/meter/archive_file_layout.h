#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "meter/archive_file_reader.h"
#include "meter/archive_record.h"

namespace kamt {

// What one cell of a row holds, in the order of the columns; the name says what could not
// be read ("не удалось прочитать " + name).
enum class Cell { Time, Plus, Minus, Work, Code, Voltage, Failures, Sensor };

// What a file's header says it is: the kind, for the hourly one the sensor, and its cells.
struct Layout {
  ArchiveKind kind;
  std::uint16_t sensorType;
  std::vector<Cell> cells;
};

// The header (the kind's title and its columns) as the writer makes them picks the layout.
std::optional<Layout> FindLayout(std::string_view title, std::string_view columns);
bool IsKnownTitle(std::string_view title);
std::string_view CellName(Cell cell, std::uint16_t sensorType);

// The time column of a row: "hh-hhч dd.mm.20yy", "dd.mm.20yy" or "mm.20yy" by kind.
bool ParseTime(ArchiveKind kind, std::string_view text, ArchiveFileRow& row);

}  // namespace kamt
