#pragma once

#include <cstdint>
#include <span>

#include "meter/archive_record.h"

namespace kamt {

// One archive record from the 40 bytes of an answer. The integers come most significant byte
// first; the two sensor values do not agree on their byte order: the pressure (bytes 28-31)
// comes least significant byte first, the temperature (32-35) most significant first.
ArchiveRecord DecodeArchiveRecord(std::span<const std::uint8_t, kArchiveRecordSize> bytes);

}  // namespace kamt
