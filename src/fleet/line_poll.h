#pragma once

#include <functional>
#include <vector>

#include "fleet/collector.h"

namespace kamt {

struct Workbench;

// Polls the meters of one line one after another with the worker's devices: one TCP
// connection for a host and port, one open serial device (dialling each meter's modem number
// on it first and hanging up after). Each meter's report goes to `report` as it is done.
void PollLine(Workbench& bench, const std::vector<const FleetMeter*>& line, const CollectOptions& options,
              const std::function<void(const PollReport&)>& report);

}  // namespace kamt
