#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "meter/archive_file.h"

namespace kamt {

// An archive file holds at most one row fewer than the meter's 16-bit record count, and no
// row the writer makes is longer than about 120 bytes: files beyond these bounds are not ours,
// and are refused before they can fill the memory.
inline constexpr std::size_t kArchiveFileMaxBytes = 16u << 20;
inline constexpr std::size_t kArchiveFileMaxRows = 65534;

// One row of an archive file: an interval between two records, as the file states it.
struct ArchiveFileRow {
  int line = 0;                      // in the file, from 1
  // The time column. Hourly: "startHour-hourч day.month.20year", the date being the later
  // record's; daily: the earlier record's day.month.year; monthly: its month.year.
  std::uint8_t startHour = 0;
  std::uint8_t hour = 0;
  std::uint8_t day = 0;
  std::uint8_t month = 0;
  std::uint8_t year = 0;             // within the century
  std::int64_t volumePlus = 0;       // growth, in units of the counter's last decimal place
  std::int64_t volumeMinus = 0;
  std::int64_t workHundredths = 0;   // working time that passed, hundredths of an hour
  std::uint8_t errorCode = 0;
  std::int64_t voltageHundredths = 0;  // hourly and daily
  std::int32_t failures = 0;           // hourly
  double sensor = 0;                   // hourly with a sensor: pressure or temperature
};

struct ArchiveFileContents {
  // Kind, serial number, sensor type (0 none, 1 pressure, 2 temperature) and the decimal
  // places of the two volume columns, as far as the rows show them.
  ArchiveFileFormat format;
  std::string title;                 // "Часовой архив", "Суточный архив", "Месячный архив"
  std::vector<std::string> columns;  // the column header's names, UTF-8
  std::vector<ArchiveFileRow> rows;
  bool utf8 = false;                 // the file had been re-saved in UTF-8
};

struct ArchiveFileReadResult {
  std::optional<ArchiveFileContents> contents;
  std::string error;  // "Строка 5: не удалось прочитать объём '+'", when there are no contents
};

// Reads the bytes of an archive file as this program writes it (Windows-1251, CR LF; LF alone
// and a whole file in UTF-8 are taken too). A file with its header and no rows is a file with
// no intervals; anything else that does not follow the format is refused, naming the line.
ArchiveFileReadResult ParseArchiveFile(std::string_view bytes);

// The same from a file on disk, read only up to kArchiveFileMaxBytes.
ArchiveFileReadResult ReadArchiveFile(const std::filesystem::path& path);

}  // namespace kamt
