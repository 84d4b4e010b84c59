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
  // Collectors sharing a fleet: each line is claimed for the round by this collector before it
  // is polled (see Store::ClaimLine), with a lease of leaseS seconds.
  std::string round;
  std::string collector;
  std::string site;  // the --site given: collectors of other sites claim the same line apart
  int leaseS = 300;

  bool Stopped() const { return (stop && stop->load()) || (abandon && abandon->load()); }
};

struct CollectSummary {
  std::vector<PollReport> reports;
  std::string storeError;    // the database failed: the collection stopped
  bool unreachable = false;  // because its server could not be reached: trying again may do
  int polledByOthers = 0;    // meters of lines other collectors polled in the round
  int Failed() const;
  int Stored() const;
};

// Polls every meter once. Meters that share a line (a serial device, a converter, a TCP host
// and port) are polled one after another by one worker, so a line carries one request at a
// time; the lines are polled side by side by the pool. A line is polled only when this
// collector claims it for the round; one another collector holds is waited for until that one
// has done it or its lease has run out.
CollectSummary Collect(const std::vector<FleetMeter>& meters, WorkerPool& pool, const CollectOptions& options);

// The meters grouped by line, in the order the fleet file first names each line.
std::vector<std::vector<const FleetMeter*>> GroupByLine(const std::vector<FleetMeter>& meters);

}  // namespace kamt
