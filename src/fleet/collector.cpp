#include "fleet/collector.h"

#include <map>
#include <mutex>

#include "fleet/fleet_file.h"
#include "fleet/line_poll.h"
#include "fleet/store.h"
#include "fleet/worker_pool.h"

namespace kamt {

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
  const auto work = [&](std::size_t i, Workbench& bench) {
    if (workerOptions.Stopped()) return;
    try {
      PollLine(bench, lines[i], workerOptions, report);
    } catch (const StoreError& e) {
      const std::lock_guard lock(mutex);
      if (summary.storeError.empty()) summary.storeError = e.what();
      abandon = true;
    }
  };
  try {
    pool.Run(lines.size(), work);
  } catch (const StoreError& e) {
    summary.storeError = e.what();
  }
  return summary;
}

}  // namespace kamt
