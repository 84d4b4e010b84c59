#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "meter/archive_record.h"

namespace kamt {

struct CurrentDataRecord;
struct Session;

// What the file of one archive read depends on besides its records: all of it from the
// current-data read that came before.
struct ArchiveFileFormat {
  ArchiveKind kind = ArchiveKind::Hourly;
  std::uint16_t serialNumber = 0;
  std::uint16_t plusDecimals = 0;   // 0, 1, anything else 2
  std::uint16_t minusDecimals = 0;
  std::uint16_t sensorType = 0;     // 1 pressure, 2 temperature, anything else none
};

ArchiveFileFormat FileFormatOf(const CurrentDataRecord& data, ArchiveKind kind);

// "KAMTarchH123.txt": the kind's prefix and the serial number, no folder.
std::string ArchiveFileName(ArchiveKind kind, std::uint16_t serialNumber);

// The serial-number line and the kind's column header, CR LF ended (UTF-8).
std::string FormatArchiveHeader(const ArchiveFileFormat& format);

// One interval: the counters' and the working time's growth from `earlier` to `later`, and
// what `later` says of itself (voltage, error code, failures, sensor). CR LF ended.
std::string FormatArchiveRow(const ArchiveFileFormat& format, const ArchiveRecord& earlier,
                             const ArchiveRecord& later);

// The whole file: the header, then a row for each two neighbouring entries of the table that
// were both read now (readNow[i] for table[i]). An entry that was not read ends a run of
// intervals, so the file never states what this read did not see.
std::string FormatArchiveFile(const ArchiveFileFormat& format, std::span<const ArchiveRecord> table,
                              const std::vector<bool>& readNow);

enum class ArchiveFileOutcome { Saved, NotOpened, NotWritten };

struct ArchiveFileResult {
  ArchiveFileOutcome outcome = ArchiveFileOutcome::Saved;
  std::string fileName;
  std::string error;  // why the system refused it, when it did
};

// Writes the file of the read into the session's output folder, whole or not at all (an
// earlier file of the name survives a failed write). Says so in status panel 1, or in a
// message box when the file could not be made ("Ошибка открытия файла: " and the bare file
// name) or not written whole ("Ошибка записи файла: ", the name, ": " and the system's reason).
ArchiveFileResult WriteArchiveFile(Session& session, ArchiveKind kind, const std::vector<bool>& readNow);

}  // namespace kamt
