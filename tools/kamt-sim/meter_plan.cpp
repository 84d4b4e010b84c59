#include "meter_plan.h"

#include <algorithm>

namespace kamt::sim {

namespace {
std::optional<MeterPlan> Fail(std::string& error, std::string message) {
  error = std::move(message);
  return std::nullopt;
}
}  // namespace

std::optional<MeterPlan> PlanMeters(const SimOptions& o, std::string& error) {
  const std::size_t given = o.addresses.size();
  const std::size_t count = o.fleet > 0 ? o.fleet : std::max<std::size_t>(given, 1);
  if (given > 0 && given != count) return Fail(error, "--fleet " + std::to_string(count) + " needs as many addresses");
  if (!o.serialNumbers.empty() && o.serialNumbers.size() != count) {
    return Fail(error, "--serial-numbers needs one number for each of the " + std::to_string(count) + " meters");
  }
  for (std::size_t i = 0; i < given; ++i) {
    if (std::count(o.addresses.begin(), o.addresses.end(), o.addresses[i]) > 1) {
      return Fail(error, "address " + std::to_string(o.addresses[i]) + " is given twice");
    }
  }
  for (const auto& [index, fault] : o.fleetFaults) {
    if (index >= count) return Fail(error, "--fleet-fault " + std::to_string(index) + ": there is no such meter");
  }
  MeterPlan plan;
  plan.onBus = given > 0 || o.fleet == 0 ? count : std::min(count, kBusAddresses);
  for (std::size_t i = 0; i < count; ++i) {
    MeterSettings m = o.meter;
    m.address = given > 0 ? o.addresses[i] : o.fleet == 0 ? o.meter.address
                                                          : static_cast<std::uint8_t>(1 + i % kBusAddresses);
    m.serialNumber = o.serialNumbers.empty() ? static_cast<std::uint16_t>(o.meter.serialNumber + i) : o.serialNumbers[i];
    plan.meters.push_back(m);
  }
  return plan;
}

}  // namespace kamt::sim
