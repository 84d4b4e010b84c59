#include "fleet/collect_service.h"

#include <algorithm>
#include <map>

#include "fleet/fleet_file.h"
#include "fleet/schedule.h"

namespace kamt {
namespace {

constexpr int kSleepSliceMs = 200;

struct Retry {
  int failures = 0;
  long long dueS = 0;
};

class Service {
 public:
  Service(const std::vector<FleetMeter>& meters, WorkerPool& pool, const CollectOptions& options,
          const ServiceTime& time, const std::function<void(const std::string&)>& say)
      : meters_(meters), pool_(pool), options_(options), time_(time), say_(say) {}

  std::string Run() {
    slot_ = CurrentSlot(time_.nowS());
    if (!Round(meters_, {true, true, true}, "all archives", RoundName(slot_))) return error_;
    ScheduledPoll next = NextPoll(time_.nowS());
    while (!options_.Stopped()) {
      const long long now = time_.nowS();
      if (now >= next.atS) {
        slot_ = next.atS;
        if (!Round(meters_, next.archives, Which(next.archives), RoundName(slot_))) return error_;
        next = NextPoll(time_.nowS());
      } else if (const auto due = DueRetries(now); !due.empty()) {
        // After the slot's own round in the names' order, before the next slot's.
        if (!Round(due, {true, true, true}, "retry", RoundName(slot_) + " retry " + std::to_string(now))) {
          return error_;
        }
      } else {
        time_.sleep(kSleepSliceMs);
      }
    }
    return {};
  }

 private:
  static std::string Which(const std::array<bool, 3>& a) {
    return a[2] ? "hourly, daily and monthly archives" : a[1] ? "hourly and daily archives" : "hourly archive";
  }

  // One collection; false when the database failed. A server that cannot be reached is tried
  // again until it can, and the round with it: what was not stored is read again.
  bool Round(const std::vector<FleetMeter>& meters, const std::array<bool, 3>& archives, const std::string& what,
             const std::string& round) {
    CollectOptions options = options_;
    options.archives = archives;
    options.round = round;
    say_("polling " + std::to_string(meters.size()) + " meters: " + what);
    CollectSummary summary = Collect(meters, pool_, options);
    while (summary.unreachable && !options_.Stopped()) {
      say_(summary.storeError + "; trying again in " + std::to_string(kReconnectPauseMs / 1000) + " s");
      for (int waited = 0; waited < kReconnectPauseMs && !options_.Stopped(); waited += kSleepSliceMs) {
        time_.sleep(kSleepSliceMs);
      }
      if (options_.Stopped()) return true;
      summary = Collect(meters, pool_, options);
    }
    for (const PollReport& r : summary.reports) Note(r);
    say_(std::to_string(summary.reports.size()) + " polled, " + std::to_string(summary.Failed()) + " failed, " +
         std::to_string(summary.Stored()) + " records stored" +
         (summary.polledByOthers > 0 ? ", " + std::to_string(summary.polledByOthers) + " polled by other collectors"
                                     : ""));
    error_ = summary.storeError;
    return error_.empty();
  }

  void Note(const PollReport& r) {
    if (r.Ok() || r.outcome == "stopped") {
      retries_.erase(r.name);
      return;
    }
    Retry& retry = retries_[r.name];
    ++retry.failures;
    retry.dueS = time_.nowS() + RetryPauseS(retry.failures);
  }

  std::vector<FleetMeter> DueRetries(long long now) const {
    std::vector<FleetMeter> due;
    for (const FleetMeter& m : meters_) {
      const auto it = retries_.find(m.name);
      if (it != retries_.end() && it->second.dueS <= now) due.push_back(m);
    }
    return due;
  }

  const std::vector<FleetMeter>& meters_;
  WorkerPool& pool_;
  const CollectOptions& options_;
  const ServiceTime& time_;
  const std::function<void(const std::string&)>& say_;
  std::map<std::string, Retry> retries_;
  long long slot_ = 0;  // the scheduled time of the round last begun
  std::string error_;
};

}  // namespace

std::string RunCollectService(const std::vector<FleetMeter>& meters, WorkerPool& pool, const CollectOptions& options,
                              const ServiceTime& time, const std::function<void(const std::string&)>& say) {
  return Service(meters, pool, options, time, say).Run();
}

}  // namespace kamt
