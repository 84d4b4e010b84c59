#include "fleet/archive_walk.h"

#include <algorithm>
#include <vector>

#include "meter/archive_kinds.h"
#include "meter/session.h"

namespace kamt {
namespace {

// Records kept in memory before they are written: a transaction never waits for the meter,
// and a collector killed mid-walk loses no more than this.
constexpr std::size_t kBatch = 64;

class Walk {
 public:
  Walk(Store& store, long long meterId, ArchiveKind kind, RecordUnits units, const std::function<std::string()>& now)
      : store_(store), meterId_(meterId), kind_(kind), units_(units), now_(now) {}

  WalkResult Run(Session& s, std::optional<int> depth) {
    const std::optional<StoredRecord> frontier = store_.Frontier(meterId_, kind_);
    const long long count = RecordCount(s.CurrentData, kind_);
    const long long deepest = frontier || !depth ? 0 : std::max<long long>(0, count - *depth);
    std::optional<ArchiveRecordBytes> previous;
    bool gap = false;
    for (long long i = count - 1; i >= deepest; --i) {
      IndexReadResult read = ReadArchiveIndex(s, kind_, i, previous);
      result_.requests += read.requests;
      result_.failedAttempts += read.failedAttempts;
      if (read.outcome == IndexReadOutcome::Skipped) {
        // The records on either side of a skipped index are not neighbours.
        Flush(std::nullopt);
        newerId_.reset();
        gap = true;
        result_.message = read.message;
        continue;
      }
      if (read.outcome != IndexReadOutcome::Read) {
        result_.end = read.outcome;
        result_.message = read.message;
        Flush(std::nullopt);
        return result_;
      }
      previous = read.bytes;
      if (frontier && SameRecord(read.record, frontier->record)) {
        Flush(frontier->id);
        return Complete(gap);
      }
      batch_.push_back(read.record);
      if (batch_.size() >= kBatch) Flush(std::nullopt);
    }
    Flush(std::nullopt);
    return Complete(gap);
  }

 private:
  WalkResult Complete(bool gap) {
    result_.complete = !gap;
    if (!gap && newestId_) {
      store_.Begin();
      store_.SetFrontier(meterId_, kind_, *newestId_);
      store_.Commit();
    }
    if (gap) result_.end = IndexReadOutcome::Skipped;
    return result_;
  }

  // Writes the batch, linked to the records read before and after it.
  void Flush(std::optional<long long> olderStoredId) {
    if (batch_.empty() && !(olderStoredId && newerId_)) return;
    store_.Begin();
    try {
      const PutResult put = store_.PutRecords(meterId_, kind_, units_, batch_, newerId_, olderStoredId, now_());
      store_.Commit();
      result_.stored += put.added;
      result_.clockSetBack += put.copies;
      if (!batch_.empty()) {
        if (!newestId_ && !newerId_) newestId_ = put.newestId;
        newerId_ = put.oldestId;
      }
    } catch (...) {
      store_.Rollback();
      throw;
    }
    batch_.clear();
  }

  Store& store_;
  const long long meterId_;
  const ArchiveKind kind_;
  const RecordUnits units_;
  const std::function<std::string()>& now_;
  std::vector<ArchiveRecord> batch_;
  std::optional<long long> newerId_;   // the record read just before, one index up
  std::optional<long long> newestId_;  // the first record of the walk: the newest
  WalkResult result_;
};

}  // namespace

WalkResult WalkArchive(Session& s, Store& store, long long meterId, ArchiveKind kind, RecordUnits units,
                       std::optional<int> depth, const std::function<std::string()>& now) {
  return Walk(store, meterId, kind, units, now).Run(s, depth);
}

}  // namespace kamt
