#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "meter/archive_record.h"

namespace kamt {

struct CurrentDataRecord;

// What sets the three archives apart: the meter's function code, the window's controls of
// the kind, and the file's name prefix.
struct ArchiveKindInfo {
  ArchiveKind kind;
  std::uint8_t function;                  // the meter's own code: 0x46, 0x47, 0x48
  std::string_view countEdit;             // holds N, the number of intervals asked for
  // Locked while the read runs; the kind's own group box, with its abort button, is not.
  std::array<std::string_view, 5> lockedControls;
  std::string_view filePrefix;            // + serial number + ".txt"
  std::string_view name;                  // the command line's word for it
};

const ArchiveKindInfo& KindInfo(ArchiveKind kind);

// The number of records the meter holds in that archive, as the last current-data read said.
int RecordCount(const CurrentDataRecord& data, ArchiveKind kind);

}  // namespace kamt
