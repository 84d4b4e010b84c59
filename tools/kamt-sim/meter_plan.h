#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "meter.h"
#include "sim_options.h"

namespace kamt::sim {

// The meters one simulator plays, in order; the first `onBus` of them sit on the serial line
// and the RTU-over-TCP port, each at its own address.
struct MeterPlan {
  std::vector<MeterSettings> meters;
  std::size_t onBus = 0;
};

// A bus holds the addresses 1 to 247; the rest are reserved by Modbus.
inline constexpr std::size_t kBusAddresses = 247;

// Without a list of addresses a fleet numbers its meters 1, 2, ... as far as a bus goes; the
// meters beyond are reached over their own TCP ports only.
std::optional<MeterPlan> PlanMeters(const SimOptions& options, std::string& error);

}  // namespace kamt::sim
