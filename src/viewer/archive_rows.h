#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "meter/archive_file_reader.h"

namespace kamt {

// The interval a row of an archive file covers, in seconds of the meter's wall clock since
// 1970-01-01 00:00 (the meter keeps no time zone, and neither does the viewer).
struct RowInterval {
  long long start = 0;
  long long end = 0;
};

// Where a row lies in time, or nothing when its time column names no real date and hour
// (a blank record of the meter prints "255-255ч 255.255.20255"):
// - hourly: "23-00ч 06.12.2026" is 23:00 of 05.12.2026 to 00:00 of 06.12.2026. The date is
//   the later record's, so an interval whose first hour is not before its last began the day
//   before (the same hour twice is a whole day without records);
// - daily: the day of the earlier record's date; monthly: the month of its month and year.
std::optional<RowInterval> IntervalOf(ArchiveKind kind, const ArchiveFileRow& row);

// The time column as the file prints it: "22-23ч 31.05.2021", "31.05.2021", "05.2021".
std::string TimeText(ArchiveKind kind, const ArchiveFileRow& row);

// "dd.MM.yyyy HH:mm" of wall-clock seconds.
std::string WallTimeText(long long seconds);

// A volume or a time in units of its last decimal place, with the sign in front where a
// reader looks for it: -5 hundredths is "-0,05" (the file prints "0.-5").
std::string DecimalText(std::int64_t units, int decimals, std::string_view separator);

// The value of such a number, for the chart.
double DecimalValue(std::int64_t units, int decimals);

// Column `column` of a row, as the viewer's table shows it (numbers with the user's decimal
// separator). The columns are those of the file's header.
std::string CellText(const ArchiveFileContents& file, const ArchiveFileRow& row, std::size_t column,
                     std::string_view separator);

// Every column of the row with its header's name, one per line, and the interval in plain
// dates: the chart's tooltip.
std::string RowSummary(const ArchiveFileContents& file, const ArchiveFileRow& row, std::string_view separator);

}  // namespace kamt
