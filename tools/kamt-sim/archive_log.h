#pragma once

#include <cstdint>
#include <deque>

#include "civil_time.h"

namespace kamt::sim {

// An archive as the meter keeps it: a record is appended at each start of a period the meter
// clock reaches, and once the archive is full the oldest drops off, so index 0 is always the
// oldest. A record is known by the period it was taken at and by how far the meter clock was
// set ahead of the time base then: the snapshot itself follows from those. Consecutive
// periods logged under one clock setting are kept as one run, so a full archive costs a few
// numbers, however large.
class ArchiveLog {
 public:
  struct Entry {
    std::int64_t takenSeconds;
    Millis clockOffsetMs;
  };

  ArchiveLog(Period period, std::uint16_t capacity) : period_(period), capacity_(capacity) {}

  // Records for `count` periods in a row from `firstPeriod` (see PeriodIndex).
  void Append(std::int64_t firstPeriod, std::int64_t count, Millis clockOffsetMs);
  std::uint16_t Size() const { return static_cast<std::uint16_t>(size_); }
  Entry At(std::uint16_t index) const;  // index < Size()
  Period period() const { return period_; }

 private:
  struct Run {
    std::int64_t firstPeriod;
    std::int64_t count;
    Millis clockOffsetMs;
  };

  Period period_;
  std::int64_t capacity_;
  std::int64_t size_ = 0;
  std::deque<Run> runs_;
};

}  // namespace kamt::sim
