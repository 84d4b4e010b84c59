#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_set>

#include "meter/archive_record.h"
#include "meter/exchange.h"

namespace kamt {

struct Session;

using ArchiveRecordBytes = std::array<std::uint8_t, kArchiveRecordSize>;

// The records a read has taken, as their bytes. Two records of an archive are never alike:
// each carries the time of its own interval and the working time, which only grows. An answer
// that repeats one of them is a late copy of an earlier answer (a repeater or a noisy converter
// sends such copies, and one may come several requests later, after a pause), never the record
// asked for, whatever the two bytes before the record say.
class RecordsTaken {
 public:
  bool Contains(std::span<const std::uint8_t, kArchiveRecordSize> record) const {
    return taken_.contains(std::string(record.begin(), record.end()));
  }
  void Add(std::span<const std::uint8_t, kArchiveRecordSize> record) { taken_.emplace(record.begin(), record.end()); }

 private:
  std::unordered_set<std::string> taken_;
};

// Five failed attempts in a row end a serial read; a record read starts the count again.
inline constexpr int kArchiveFailureLimit = 5;

// One request for the record at `index` with the kind's function code, through the one
// exchange every service uses. An accepted answer that repeats a record the read has taken is
// a late copy of an earlier answer: Repeated.
ExchangeResult ArchiveAttempt(Session& session, std::uint8_t function, long long index,
                              std::span<std::uint8_t, kArchiveRecordSize> record, const RecordsTaken& taken);

// The pause before a serial archive request; false when a stop (ArchiveAbort) cut it short. A
// long one runs the window's events between its slices, where a stop arrives.
bool ArchivePause(Session& session, int ms);

}  // namespace kamt
