#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "meter/archive_record.h"
#include "meter/exchange.h"

namespace kamt {

struct Session;

using ArchiveRecordBytes = std::array<std::uint8_t, kArchiveRecordSize>;

// Five failed attempts in a row end a serial read; a record read starts the count again.
inline constexpr int kArchiveFailureLimit = 5;

// One request for the record at `index` with the kind's function code, through the one
// exchange every service uses. An accepted answer that repeats `previous` (the record the read
// took last) is a late copy of the earlier answer, never the record asked for: Repeated.
ExchangeResult ArchiveAttempt(Session& session, std::uint8_t function, long long index,
                              std::span<std::uint8_t, kArchiveRecordSize> record,
                              const std::optional<ArchiveRecordBytes>& previous);

// The pause before a serial archive request; false when a stop (ArchiveAbort) cut it short. A
// long one runs the window's events between its slices, where a stop arrives.
bool ArchivePause(Session& session, int ms);

}  // namespace kamt
