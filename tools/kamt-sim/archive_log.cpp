#include "archive_log.h"

#include <algorithm>

namespace kamt::sim {

void ArchiveLog::Append(std::int64_t firstPeriod, std::int64_t count, Millis clockOffsetMs) {
  if (count > capacity_) {  // only the newest can stay
    firstPeriod += count - capacity_;
    count = capacity_;
  }
  if (count <= 0) return;
  if (!runs_.empty() && runs_.back().firstPeriod + runs_.back().count == firstPeriod &&
      runs_.back().clockOffsetMs == clockOffsetMs) {
    runs_.back().count += count;
  } else {
    runs_.push_back({firstPeriod, count, clockOffsetMs});
  }
  size_ += count;
  while (size_ > capacity_) {
    Run& oldest = runs_.front();
    const std::int64_t drop = std::min(oldest.count, size_ - capacity_);
    oldest.firstPeriod += drop;
    oldest.count -= drop;
    size_ -= drop;
    if (oldest.count == 0) runs_.pop_front();
  }
}

ArchiveLog::Entry ArchiveLog::At(std::uint16_t index) const {
  std::int64_t rest = index;
  for (const Run& run : runs_) {
    if (rest < run.count) return {PeriodIndexStart(period_, run.firstPeriod + rest), run.clockOffsetMs};
    rest -= run.count;
  }
  return {0, 0};
}

}  // namespace kamt::sim
