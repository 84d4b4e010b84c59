#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "fleet/meter_poll.h"

namespace kamt {

class WorkerPool;
struct FleetMeter;

struct CollectOptions {
  std::array<bool, 3> archives{true, true, true};  // hourly, daily, monthly: which to read now
  const std::atomic<bool>* stop = nullptr;          // set: end between requests, keep what was read
  const std::atomic<bool>* abandon = nullptr;       // the same, set by the collector itself
  std::function<void(const PollReport&)> onReport;  // each meter as it is done; called one at a time

  bool Stopped() const { return (stop && stop->load()) || (abandon && abandon->load()); }
};

struct CollectSummary {
  std::vector<PollReport> reports;
  std::string storeError;  // the database failed: the collection stopped
  int Failed() const;
  int Stored() const;
};

// Polls every meter once. Meters that share a line (a serial device, a converter, a TCP host
// and port) are polled one after another by one worker, so a line carries one request at a
// time; the lines are polled side by side by the pool.
CollectSummary Collect(const std::vector<FleetMeter>& meters, WorkerPool& pool, const CollectOptions& options);

// The meters grouped by line, in the order the fleet file first names each line.
std::vector<std::vector<const FleetMeter*>> GroupByLine(const std::vector<FleetMeter>& meters);

}  // namespace kamt
