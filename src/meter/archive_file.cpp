#include "meter/archive_file.h"

#include <algorithm>
#include <charconv>
#include <cstdarg>
#include <cstdio>

#include "meter/archive_kinds.h"
#include "meter/current_data.h"
#include "meter/session.h"
#include "setup/window.h"
#include "text/text_file.h"

namespace kamt {
namespace {

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void AppendFormatted(std::string& out, const char* format, ...) {
  char buffer[128];
  std::va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length > 0) out.append(buffer, std::min(static_cast<std::size_t>(length), sizeof buffer - 1));
}

// "%W.Df" with a point whatever the process's locale (a window program runs in the user's,
// and printf would follow it): the same digits as printf in the C locale.
void AppendFixed(std::string& out, double value, std::size_t width, int decimals) {
  char digits[400];  // the widest double in fixed notation, with room to spare
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
  const std::string_view text(digits, ec == std::errc() ? static_cast<std::size_t>(end - digits) : 0);
  if (text.size() < width) out.append(width - text.size(), ' ');
  out += text;
}

// A counter's growth in units of its last decimal place, as the meter's own printf would put
// it: the division truncates and the remainder keeps the sign, so a counter that went back by
// 5 hundredths prints "0.-5". Nothing is hidden or corrected.
void AppendVolume(std::string& out, std::int64_t later, std::int64_t earlier, std::uint16_t decimals) {
  // Wrapping subtraction: counters at the ends of the range must not overflow.
  const auto d = static_cast<long long>(static_cast<std::uint64_t>(later) - static_cast<std::uint64_t>(earlier));
  switch (decimals) {
    case 0: AppendFormatted(out, "%9lld\t", d); break;
    case 1: AppendFormatted(out, "%9lld.%01lld\t", d / 10, d % 10); break;
    default: AppendFormatted(out, "%9lld.%02lld\t", d / 100, d % 100); break;
  }
}

void AppendTime(std::string& out, ArchiveKind kind, const ArchiveRecord& e, const ArchiveRecord& l) {
  // Bytes print as numbers of at least two digits; a byte above 99 is not cut.
  switch (kind) {
    case ArchiveKind::Hourly:
      AppendFormatted(out, "%02d-%02dч %02d.%02d.20%02d\t", e.hour, l.hour, l.day, l.month, l.year);
      break;
    case ArchiveKind::Daily: AppendFormatted(out, "%02d.%02d.20%02d\t", e.day, e.month, e.year); break;
    case ArchiveKind::Monthly: AppendFormatted(out, "%02d.20%02d\t", e.month, e.year); break;
  }
}

// Hours with truncated hundredths of the working time that passed; a clock that went back
// gives a negative difference, printed as it is.
void AppendWorkTime(std::string& out, const ArchiveRecord& e, const ArchiveRecord& l) {
  const auto s = static_cast<std::int32_t>(l.workSeconds - e.workSeconds);
  AppendFormatted(out, "%5d.%02dч\t0x%02X", s / 3600, s % 3600 / 36, static_cast<unsigned>(l.errorCode));
}

void AppendHourlyTail(std::string& out, const ArchiveFileFormat& f, const ArchiveRecord& l) {
  AppendFormatted(out, "\t%5d", static_cast<int>(l.failures));
  if (f.sensorType == 1) {
    out += '\t';
    AppendFixed(out, static_cast<double>(l.pressure), 5, 2);
  } else if (f.sensorType == 2) {
    out += '\t';
    AppendFixed(out, static_cast<double>(l.temperature), 3, 0);
  }
}

}  // namespace

ArchiveFileFormat FileFormatOf(const CurrentDataRecord& data, ArchiveKind kind) {
  return {kind, data.SerialNumber, data.PlusDecimals, data.MinusDecimals, data.SensorType};
}

std::string ArchiveFileName(ArchiveKind kind, std::uint16_t serialNumber) {
  return std::string(KindInfo(kind).filePrefix) + std::to_string(serialNumber) + ".txt";
}

std::string FormatArchiveHeader(const ArchiveFileFormat& f) {
  std::string out;
  AppendFormatted(out, "КАМТ Заводской номер :\t%5u\r\n", static_cast<unsigned>(f.serialNumber));
  switch (f.kind) {
    case ArchiveKind::Hourly:
      out += "Часовой архив\r\nВремя\tОбъем+,м3\tОбъем-,м3\tВремя работы\tКод НС\tUару\tЧисло сбоев";
      if (f.sensorType == 1) out += "\tДавление";
      if (f.sensorType == 2) out += "\tТемпература";
      out += "\r\n";
      break;
    case ArchiveKind::Daily:
      out += "Суточный архив\r\nВремя\tОбъем+,м3\tОбъем-,м3\tВремя работы\tКод НС\tUару\r\n";
      break;
    case ArchiveKind::Monthly: out += "Месячный архив\r\nВремя\tОбъем+,м3\tОбъем-,м3\tВремя работы\tКод НС\r\n"; break;
  }
  return out;
}

std::string FormatArchiveRow(const ArchiveFileFormat& f, const ArchiveRecord& e, const ArchiveRecord& l) {
  std::string out;
  AppendTime(out, f.kind, e, l);
  AppendVolume(out, l.volumePlus, e.volumePlus, f.plusDecimals);
  AppendVolume(out, l.volumeMinus, e.volumeMinus, f.minusDecimals);
  AppendWorkTime(out, e, l);
  if (f.kind != ArchiveKind::Monthly) {
    out += '\t';
    AppendFixed(out, l.voltage * 0.01, 4, 2);
  }
  if (f.kind == ArchiveKind::Hourly) AppendHourlyTail(out, f, l);
  out += "\r\n";
  return out;
}

std::string FormatArchiveFile(const ArchiveFileFormat& f, std::span<const ArchiveRecord> table,
                              const std::vector<bool>& readNow) {
  std::string out = FormatArchiveHeader(f);
  const std::size_t size = std::min(table.size(), readNow.size());
  for (std::size_t i = 1; i < size; ++i) {
    if (readNow[i - 1] && readNow[i]) out += FormatArchiveRow(f, table[i - 1], table[i]);
  }
  return out;
}

ArchiveFileResult WriteArchiveFile(Session& s, ArchiveKind kind, const std::vector<bool>& readNow) {
  const ArchiveFileFormat format = FileFormatOf(s.CurrentData, kind);
  ArchiveFileResult result;
  result.fileName = ArchiveFileName(kind, format.serialNumber);
  const std::string text = FormatArchiveFile(format, s.ArchiveTable, readNow);
  WriteFailure failure = WriteFailure::None;
  if (!WriteTextFile(s.outputDirectory / result.fileName, text, &result.error, &failure)) {
    const bool made = failure == WriteFailure::Write;
    result.outcome = made ? ArchiveFileOutcome::NotWritten : ArchiveFileOutcome::NotOpened;
    // The reason goes with a write that failed half-way (a full disk); the message of a file
    // that could not be made stays as it has always been.
    s.window().ShowMessage(made ? "Ошибка записи файла: " + result.fileName + ": " + result.error
                                : "Ошибка открытия файла: " + result.fileName);
    return result;
  }
  s.window().SetStatusText(1, "Данные сохранены в файл: " + result.fileName);
  return result;
}

}  // namespace kamt
