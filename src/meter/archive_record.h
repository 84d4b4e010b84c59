#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/modbus.h"

namespace kamt {

enum class ArchiveKind { Hourly, Daily, Monthly };

using modbus::kArchiveRecordSize;

// One archive record as decoded from its 40 bytes.
struct ArchiveRecord {
  std::uint8_t hour = 0;
  std::uint8_t day = 0;
  std::uint8_t month = 0;
  std::uint8_t year = 0;          // within the century, printed after "20"
  std::uint16_t voltage = 0;      // hundredths of a volt
  std::uint16_t failures = 0;
  std::int64_t volumePlus = 0;    // in units of the counter's last decimal place
  std::int64_t volumeMinus = 0;
  std::uint32_t workSeconds = 0;
  float pressure = 0;
  float temperature = 0;
  std::uint8_t errorCode = 0;

  bool operator==(const ArchiveRecord&) const = default;
};

}  // namespace kamt
