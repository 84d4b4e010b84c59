#include "fleet/collector.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "fleet/fleet_file.h"
#include "fleet/line_poll.h"
#include "fleet/store.h"
#include "fleet/worker_pool.h"

namespace kamt {
namespace {

// How long to wait before asking again for lines another collector holds, looking at the stop
// this often.
constexpr int kBusyPauseMs = 1000;
constexpr int kStopCheckMs = 100;

}  // namespace

int CollectSummary::Failed() const {
  int failed = 0;
  for (const PollReport& r : reports) failed += r.Ok() ? 0 : 1;
  return failed;
}

int CollectSummary::Stored() const {
  int stored = 0;
  for (const PollReport& r : reports) stored += r.stored;
  return stored;
}

std::vector<std::vector<const FleetMeter*>> GroupByLine(const std::vector<FleetMeter>& meters) {
  std::vector<std::vector<const FleetMeter*>> lines;
  std::map<std::string, std::size_t> byKey;
  for (const FleetMeter& m : meters) {
    const auto [it, added] = byKey.try_emplace(m.LineKey(), lines.size());
    if (added) lines.emplace_back();
    lines[it->second].push_back(&m);
  }
  return lines;
}

CollectSummary Collect(const std::vector<FleetMeter>& meters, WorkerPool& pool, const CollectOptions& options) {
  const auto lines = GroupByLine(meters);
  CollectSummary summary;
  std::mutex mutex;
  // A database that fails stops every worker between two requests: nothing more is read that
  // could not be stored.
  std::atomic<bool> abandon = false;
  CollectOptions workerOptions = options;
  workerOptions.abandon = &abandon;
  const auto report = [&](const PollReport& r) {
    const std::lock_guard lock(mutex);
    summary.reports.push_back(r);
    if (options.onReport) options.onReport(r);
  };
  std::vector<std::size_t> pending(lines.size()), busy;
  for (std::size_t i = 0; i < lines.size(); ++i) pending[i] = i;
  const auto work = [&](std::size_t k, Workbench& bench) {
    if (workerOptions.Stopped()) return;
    const std::size_t i = pending[k];
    try {
      const std::string key = options.site + "|" + lines[i].front()->LineKey();
      const Claim claim = bench.store.ClaimLine(key, options.round, options.collector, options.leaseS);
      if (claim != Claim::Taken) {
        const std::lock_guard lock(mutex);
        if (claim == Claim::Busy) busy.push_back(i);
        if (claim == Claim::DoneByOther) summary.polledByOthers += static_cast<int>(lines[i].size());
        return;
      }
      PollLine(bench, lines[i], workerOptions, report);
      // A line cut short by a stop goes to the other collectors at once.
      bench.store.EndClaim(!workerOptions.Stopped());
    } catch (const StoreError& e) {
      const std::lock_guard lock(mutex);
      if (summary.storeError.empty()) {
        summary.storeError = e.what();
        summary.unreachable = e.Unreachable();
      }
      abandon = true;
    }
  };
  while (!pending.empty()) {
    try {
      pool.Run(pending.size(), work);
    } catch (const StoreError& e) {
      summary.storeError = e.what();
      summary.unreachable = e.Unreachable();
    }
    if (!summary.storeError.empty()) break;
    pending = std::exchange(busy, {});
    std::ranges::sort(pending);
    // The lines other collectors hold are asked for again until they are done or run out.
    for (int waited = 0; !pending.empty() && waited < kBusyPauseMs && !workerOptions.Stopped();
         waited += kStopCheckMs) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kStopCheckMs));
    }
    if (workerOptions.Stopped()) break;
  }
  return summary;
}

}  // namespace kamt
