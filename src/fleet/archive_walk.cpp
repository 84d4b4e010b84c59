#include "fleet/archive_walk.h"

#include <algorithm>
#include <map>
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
    frontier_ = store_.Frontier(meterId_, kind_);
    LoadUnlinked();
    const long long count = RecordCount(s.CurrentData, kind_);
    deepest_ = frontier_ || !depth ? 0 : std::max<long long>(0, count - *depth);
    for (long long i = count - 1; i >= deepest_; --i) {
      IndexReadResult read = Read(s, i);
      if (read.outcome == IndexReadOutcome::Skipped) {
        // The records on either side of a skipped index are not neighbours.
        Flush(std::nullopt);
        newerId_.reset();
        gap_ = true;
        continue;
      }
      if (read.outcome != IndexReadOutcome::Read) {
        result_.end = read.outcome;
        Flush(std::nullopt);
        return result_;
      }
      if (frontier_ && SameRecord(read.record, frontier_->record)) {
        return Complete(frontier_->id);
      }
      if (const StoredRecord* stored = Unlinked(read.record)) {
        if (JumpBelow(s, *stored, i)) return Complete(std::nullopt);
        continue;
      }
      batch_.push_back(read.record);
      if (batch_.size() >= kBatch) Flush(std::nullopt);
    }
    return Complete(std::nullopt);
  }

 private:
  IndexReadResult Read(Session& s, long long index) {
    IndexReadResult read = ReadArchiveIndex(s, kind_, index, taken_);
    result_.requests += read.requests;
    result_.failedAttempts += read.failedAttempts;
    if (read.outcome == IndexReadOutcome::Read) taken_.Add(read.bytes);
    if (!read.message.empty()) result_.message = read.message;
    return read;
  }

  // What a walk cut short stored above the frontier: the records newer than it, by time.
  void LoadUnlinked() {
    const std::string after = frontier_ ? RecordTime(frontier_->record) : "";
    for (StoredRecord& r : store_.Records(meterId_, kind_, after, "")) {
      if (!frontier_ || r.id != frontier_->id) unlinked_.emplace(r.id, std::move(r));
    }
  }

  const StoredRecord* Unlinked(const ArchiveRecord& record) const {
    for (const auto& [id, stored] : unlinked_) {
      if (SameRecord(stored.record, record)) return &stored;
    }
    return nullptr;
  }

  // A record that a walk cut short has stored: the records it read below this one are stored
  // too, each linked to its predecessor, so the walk goes on below them rather than read them
  // again, once one read at the bottom of that run shows the archive has not moved meanwhile.
  // True when the walk ends here: the run reaches the frontier or the depth asked for
  // (complete), or the archive moved (read again next time).
  bool JumpBelow(Session& s, const StoredRecord& stored, long long& i) {
    Flush(stored.id);
    if (!newestId_) newestId_ = stored.id;
    newerId_ = stored.id;
    const StoredRecord* bottom = &stored;
    long long below = 0;
    while (bottom->previousId) {
      const auto it = unlinked_.find(*bottom->previousId);
      if (it == unlinked_.end()) break;
      bottom = &it->second;
      ++below;
    }
    if (frontier_ && bottom->previousId == frontier_->id) return true;
    if (below == 0) return false;
    if (i - below <= deepest_) return true;
    const IndexReadResult check = Read(s, i - below);
    if (check.outcome != IndexReadOutcome::Read || !SameRecord(check.record, bottom->record)) {
      gap_ = true;
      return true;
    }
    newerId_ = bottom->id;
    i -= below;
    return false;
  }

  // The last write of a walk that read down to the stored history: the batch, and the new
  // frontier with it in one transaction.
  WalkResult Complete(std::optional<long long> olderStoredId) {
    result_.complete = !gap_;
    Flush(olderStoredId, !gap_);
    if (gap_) result_.end = IndexReadOutcome::Skipped;
    return result_;
  }

  // Writes the batch, linked to the records read before and after it; with `last`, the walk's
  // newest record becomes the frontier.
  void Flush(std::optional<long long> olderStoredId, bool last = false) {
    const bool link = olderStoredId && newerId_;
    if (batch_.empty() && !link && !(last && newestId_)) return;
    Transaction transaction(store_);
    PutResult put;
    if (!batch_.empty() || link) {
      put = store_.PutRecords(meterId_, kind_, units_, batch_, newerId_, olderStoredId, now_());
      if (!batch_.empty() && !newestId_ && !newerId_) newestId_ = put.newestId;
    }
    if (last && newestId_) store_.SetFrontier(meterId_, kind_, *newestId_);
    transaction.Commit();
    result_.stored += put.added;
    result_.clockSetBack += put.copies;
    if (!batch_.empty()) newerId_ = put.oldestId;
    batch_.clear();
  }

  Store& store_;
  const long long meterId_;
  const ArchiveKind kind_;
  const RecordUnits units_;
  const std::function<std::string()>& now_;
  std::optional<StoredRecord> frontier_;
  std::map<long long, StoredRecord> unlinked_;
  long long deepest_ = 0;
  RecordsTaken taken_;  // the records read, for the late-copy rule
  bool gap_ = false;
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
