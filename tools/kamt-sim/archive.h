#pragma once

#include <array>
#include <cstdint>

#include "civil_time.h"
#include "flow_history.h"

namespace kamt::sim {

enum class ArchiveKind { Hourly, Daily, Monthly };

inline constexpr std::size_t kArchiveRecordSize = 40;
using ArchiveRecord = std::array<std::uint8_t, kArchiveRecordSize>;

Period PeriodOf(ArchiveKind kind);

// A counter register's decimals setting: 0 and 1 mean themselves, anything else two places.
int EffectiveDecimals(std::uint16_t setting);

struct RecordFormat {
  std::uint16_t plusDecimals = 2;
  std::uint16_t minusDecimals = 2;
  // How far the meter clock is ahead of the time base of the history: a clock that was set
  // moves the dates of the records, not what was measured.
  std::int64_t clockOffsetMs = 0;
};

// One record as the meter sends it: date, voltage, failures, counters, working time, then
// pressure least significant byte first and temperature most significant byte first.
ArchiveRecord BuildArchiveRecord(const FlowHistory& history, ArchiveKind kind, std::int64_t takenSeconds,
                                 const RecordFormat& format);

}  // namespace kamt::sim
