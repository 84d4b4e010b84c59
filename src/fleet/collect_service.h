#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fleet/collector.h"

namespace kamt {

// The pause before a database server that could not be reached is tried again.
inline constexpr int kReconnectPauseMs = 3000;

struct ServiceTime {
  std::function<long long()> nowS;     // the computer's local clock as wall seconds
  std::function<void(int ms)> sleep;   // a short wait; the stop is looked at after each
};

// The collector as a service: polls every meter at once, then each archive after its period
// begins (see NextPoll), and a meter that failed again after growing pauses, until
// options.stop is set. `say` gets a line for each poll round. Returns the database's error
// when it failed, which ends the service; empty after a stop.
std::string RunCollectService(const std::vector<FleetMeter>& meters, WorkerPool& pool, const CollectOptions& options,
                              const ServiceTime& time, const std::function<void(const std::string&)>& say);

}  // namespace kamt
