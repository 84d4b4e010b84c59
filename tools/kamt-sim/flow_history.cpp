#include "flow_history.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "civil_time.h"

namespace kamt::sim {

namespace {
// Back-flow for a quarter of an hour every four days or so; a twenty-minute supply loss every
// eight days or so. Both are rare enough that most records show neither.
constexpr PeriodicWindow kBackFlow{97 * 3600, 13 * 3600, 900};
constexpr PeriodicWindow kPowerLoss{200 * 3600, 37 * 3600 + 1800, 1200};
constexpr double kBackFlowRate = 0.6;  // m³/h while it lasts
constexpr double kDaySeconds = 86400.0;
}  // namespace

std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

double Unit(std::uint64_t key) { return static_cast<double>(Mix(key) >> 11) * 0x1.0p-53; }

std::int64_t PeriodicWindow::CoveredUpTo(std::int64_t t) const {
  if (t < offset) return 0;
  const std::int64_t last = (t - offset) / period;
  return last * length + std::min(length, t - (offset + last * period));
}

std::int64_t PeriodicWindow::StartsUpTo(std::int64_t t) const {
  return t < offset ? 0 : (t - offset) / period + 1;
}

FlowHistory::FlowHistory(std::int64_t installedMs, double meanFlowM3h)
    : installedMs_(installedMs), mean_(meanFlowM3h) {}

double FlowHistory::Since(std::int64_t tMs) const {
  return std::max(0.0, static_cast<double>(tMs - installedMs_) / 1000.0);
}

// Each hour's volume is the mean plus the difference of two neighbouring bumps of at most
// 40 % of the mean, so no hour ever shows less than a fifth of the mean flow.
double FlowHistory::HourlyBump(std::int64_t hour) const {
  return (Unit(static_cast<std::uint64_t>(hour)) - 0.5) * 0.8;
}

double FlowHistory::ForwardM3(std::int64_t tMs) const {
  const double hours = Since(tMs) / 3600.0;
  const double whole = std::floor(hours);
  const auto h = static_cast<std::int64_t>(whole);
  const double bump = HourlyBump(h) + (hours - whole) * (HourlyBump(h + 1) - HourlyBump(h));
  return mean_ * (hours + bump - HourlyBump(0));
}

double FlowHistory::ReverseM3(std::int64_t tMs) const {
  const auto s = static_cast<std::int64_t>(Since(tMs));
  return static_cast<double>(kBackFlow.CoveredUpTo(s)) * kBackFlowRate / 3600.0;
}

double FlowHistory::FlowM3h(std::int64_t tMs) const {
  const auto h = static_cast<std::int64_t>(Since(tMs) / 3600.0);
  const double hourly = mean_ * (1.0 + HourlyBump(h + 1) - HourlyBump(h));
  const double wobble = 0.03 * std::sin(static_cast<double>(tMs % 11000) / 11000.0 * 2 * std::numbers::pi);
  return hourly * (1.0 + wobble);
}

std::int64_t FlowHistory::RunSeconds(std::int64_t tMs) const { return static_cast<std::int64_t>(Since(tMs)); }

std::int64_t FlowHistory::WorkSeconds(std::int64_t tMs) const {
  const std::int64_t s = RunSeconds(tMs);
  return s - kPowerLoss.CoveredUpTo(s);
}

int FlowHistory::FailuresBetween(std::int64_t fromMs, std::int64_t toMs) const {
  const std::int64_t n = kPowerLoss.StartsUpTo(RunSeconds(toMs)) - kPowerLoss.StartsUpTo(RunSeconds(fromMs));
  return static_cast<int>(std::clamp<std::int64_t>(n, 0, 65535));
}

std::uint16_t FlowHistory::VoltageCentivolts(std::int64_t tMs) const {
  const auto key = static_cast<std::uint64_t>(FloorDiv(tMs, 60000));
  return static_cast<std::uint16_t>(357 + Mix(key) % 7);
}

float FlowHistory::Pressure(std::int64_t tMs) const {
  const double day = static_cast<double>(tMs % 86400000) / 1000.0 / kDaySeconds;
  const double noise = Unit(static_cast<std::uint64_t>(FloorDiv(tMs, 60000)) ^ 0x5A5A) - 0.5;
  return static_cast<float>(4.2 + 0.3 * std::sin(day * 2 * std::numbers::pi) + 0.04 * noise);
}

float FlowHistory::Temperature(std::int64_t tMs) const {
  const double day = static_cast<double>(tMs % 86400000) / 1000.0 / kDaySeconds;
  const double noise = Unit(static_cast<std::uint64_t>(FloorDiv(tMs, 60000)) ^ 0xA5A5) - 0.5;
  return static_cast<float>(18.0 + 4.0 * std::sin(day * 2 * std::numbers::pi) + 0.4 * noise);
}

}  // namespace kamt::sim
