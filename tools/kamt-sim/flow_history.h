#pragma once

#include <cstdint>

namespace kamt::sim {

// Time windows that repeat with a fixed period, for example the minutes of every few days in
// which the meter lost its supply. Times are seconds since the meter was installed.
struct PeriodicWindow {
  std::int64_t period;
  std::int64_t offset;  // start of the first window
  std::int64_t length;

  std::int64_t CoveredUpTo(std::int64_t t) const;  // seconds of [0, t] inside windows
  std::int64_t StartsUpTo(std::int64_t t) const;   // windows that began in [0, t]
};

// Everything the meter has measured since it was installed, as a function of time alone: the
// archives and the current data therefore agree with each other and repeat exactly.
// Times are meter wall-clock milliseconds (see civil_time.h).
class FlowHistory {
 public:
  FlowHistory(std::int64_t installedMs, double meanFlowM3h);

  double ForwardM3(std::int64_t tMs) const;  // never decreases
  double ReverseM3(std::int64_t tMs) const;  // grows only in rare back-flow windows
  double FlowM3h(std::int64_t tMs) const;    // the rate a read shows, jittering around the mean
  std::int64_t WorkSeconds(std::int64_t tMs) const;  // time powered: lags behind run time
  std::int64_t RunSeconds(std::int64_t tMs) const;   // time since installation
  int FailuresBetween(std::int64_t fromMs, std::int64_t toMs) const;  // power losses in (from, to]
  std::uint16_t VoltageCentivolts(std::int64_t tMs) const;
  float Pressure(std::int64_t tMs) const;     // kgf/cm²
  float Temperature(std::int64_t tMs) const;  // °C

 private:
  double Since(std::int64_t tMs) const;  // seconds since installation, 0 before it
  double HourlyBump(std::int64_t hour) const;

  std::int64_t installedMs_;
  double mean_;
};

// A well mixed 64-bit hash: deterministic "randomness" keyed by a time.
std::uint64_t Mix(std::uint64_t x);
double Unit(std::uint64_t key);  // in [0, 1)

}  // namespace kamt::sim
