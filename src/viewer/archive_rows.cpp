#include "viewer/archive_rows.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "meter/meter_clock_calendar.h"
#include "meter/number_format.h"

namespace kamt {
namespace {

constexpr long long kDay = 86400;

std::optional<long long> DayStart(int year, int month, int day) {
  return WallSeconds(LocalDateTime{year, month, day, 0, 0, 0});
}

std::string TwoDigits(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02u", value);
  return text;
}

std::string SensorText(double value, int decimals, std::string_view separator) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  return FormatFixed(value, 15, decimals, separator);
}

}  // namespace

std::optional<RowInterval> IntervalOf(ArchiveKind kind, const ArchiveFileRow& row) {
  const int year = 2000 + row.year;
  switch (kind) {
    case ArchiveKind::Hourly: {
      const auto day = DayStart(year, row.month, row.day);
      if (!day || row.hour > 23 || row.startHour > 23) return std::nullopt;
      const long long end = *day + row.hour * 3600LL;
      const long long startDay = row.startHour < row.hour ? *day : *day - kDay;
      return RowInterval{startDay + row.startHour * 3600LL, end};
    }
    case ArchiveKind::Daily: {
      const auto day = DayStart(year, row.month, row.day);
      if (!day) return std::nullopt;
      return RowInterval{*day, *day + kDay};
    }
    case ArchiveKind::Monthly: {
      const auto first = DayStart(year, row.month, 1);
      if (!first) return std::nullopt;
      const auto next = row.month == 12 ? DayStart(year + 1, 1, 1) : DayStart(year, row.month + 1, 1);
      return RowInterval{*first, next.value_or(*first)};
    }
  }
  return std::nullopt;
}

std::string TimeText(ArchiveKind kind, const ArchiveFileRow& row) {
  const std::string year = "20" + TwoDigits(row.year);
  switch (kind) {
    case ArchiveKind::Hourly:
      return TwoDigits(row.startHour) + "-" + TwoDigits(row.hour) + "ч " + TwoDigits(row.day) + "." +
             TwoDigits(row.month) + "." + year;
    case ArchiveKind::Daily: return TwoDigits(row.day) + "." + TwoDigits(row.month) + "." + year;
    case ArchiveKind::Monthly: return TwoDigits(row.month) + "." + year;
  }
  return {};
}

std::string WallTimeText(long long seconds) {
  namespace chr = std::chrono;
  const long long days = seconds >= 0 ? seconds / kDay : -((-seconds + kDay - 1) / kDay);
  const long long inDay = seconds - days * kDay;
  const chr::year_month_day date{chr::sys_days{chr::days{days}}};
  char text[40];
  std::snprintf(text, sizeof text, "%02u.%02u.%04d %02lld:%02lld", static_cast<unsigned>(date.day()),
                static_cast<unsigned>(date.month()), static_cast<int>(date.year()), inDay / 3600, inDay % 3600 / 60);
  return text;
}

std::string DecimalText(std::int64_t units, int decimals, std::string_view separator) {
  const std::uint64_t magnitude = units < 0 ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
  std::string text = units < 0 ? "-" : "";
  if (decimals <= 0) return text + std::to_string(magnitude);
  const std::uint64_t scale = decimals == 1 ? 10 : 100;
  std::string fraction = std::to_string(magnitude % scale);
  fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
  return text + std::to_string(magnitude / scale) + std::string(separator) + fraction;
}

double DecimalValue(std::int64_t units, int decimals) {
  return static_cast<double>(units) / (decimals <= 0 ? 1.0 : decimals == 1 ? 10.0 : 100.0);
}

std::string CellText(const ArchiveFileContents& file, const ArchiveFileRow& row, std::size_t column,
                     std::string_view separator) {
  switch (column) {
    case 0: return TimeText(file.format.kind, row);
    case 1: return DecimalText(row.volumePlus, file.format.plusDecimals, separator);
    case 2: return DecimalText(row.volumeMinus, file.format.minusDecimals, separator);
    case 3: return DecimalText(row.workHundredths, 2, separator) + "ч";
    case 4: return "0x" + std::string(1, "0123456789ABCDEF"[row.errorCode >> 4]) + "0123456789ABCDEF"[row.errorCode & 15];
    case 5: return DecimalText(row.voltageHundredths, 2, separator);
    case 6: return std::to_string(row.failures);
    case 7: return SensorText(row.sensor, file.format.sensorType == 1 ? 2 : 0, separator);
    default: return {};
  }
}

std::string RowSummary(const ArchiveFileContents& file, const ArchiveFileRow& row, std::string_view separator) {
  std::string text = CellText(file, row, 0, separator);
  if (const auto interval = IntervalOf(file.format.kind, row)) {
    text += "\n" + WallTimeText(interval->start) + " – " + WallTimeText(interval->end);
  }
  for (std::size_t c = 1; c < file.columns.size(); ++c) {
    text += "\n" + file.columns[c] + ": " + CellText(file, row, c, separator);
  }
  return text;
}

}  // namespace kamt
