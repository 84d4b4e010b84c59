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
    if (!Round(meters_, {true, true, true}, "all archives")) return error_;
    ScheduledPoll next = NextPoll(time_.nowS());
    while (!options_.Stopped()) {
      const long long now = time_.nowS();
      if (now >= next.atS) {
        if (!Round(meters_, next.archives, Which(next.archives))) return error_;
        next = NextPoll(time_.nowS());
      } else if (const auto due = DueRetries(now); !due.empty()) {
        if (!Round(due, {true, true, true}, "retry")) return error_;
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

  // One collection; false when the database failed.
  bool Round(const std::vector<FleetMeter>& meters, const std::array<bool, 3>& archives, const std::string& what) {
    CollectOptions options = options_;
    options.archives = archives;
    say_("polling " + std::to_string(meters.size()) + " meters: " + what);
    const CollectSummary summary = Collect(meters, pool_, options);
    for (const PollReport& r : summary.reports) Note(r);
    say_(std::to_string(summary.reports.size()) + " polled, " + std::to_string(summary.Failed()) + " failed, " +
         std::to_string(summary.Stored()) + " records stored");
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
  std::string error_;
};

}  // namespace

std::string RunCollectService(const std::vector<FleetMeter>& meters, WorkerPool& pool, const CollectOptions& options,
                              const ServiceTime& time, const std::function<void(const std::string&)>& say) {
  return Service(meters, pool, options, time, say).Run();
}

}  // namespace kamt
