#pragma once

#include <cstddef>
#include <cstdint>

#include "link/modbus.h"

namespace kamt {

inline constexpr std::size_t kMeterConfigSize = 2 * modbus::kConfigCount;

// The meter's measurement configuration, with the clock registers that precede it.
struct MeterConfigRecord {
  std::int16_t Seconds = 0;
  std::int16_t Minutes = 0;
  std::int16_t Hours = 0;
  std::int16_t Day = 0;
  std::int16_t Month = 0;
  std::int16_t Year = 0;
  float ConversionFactor = 0;
  float MaxFlow = 0;
  float FreqCorrection = 0;
  float TransitionFreq = 0;
  float MinFreq = 0;
  float ZeroOffsetVoltage = 0;
  std::uint16_t CaptureCycles = 0;
  std::uint16_t Divider = 0;
  std::uint16_t Digits = 0;
  std::uint16_t Channels = 0;
  std::uint16_t DisplayOff = 0;
  std::uint16_t Diameter = 0;      // an index into the diameter list, not millimetres
  std::uint16_t SerialNumber = 0;
  std::uint16_t ProbePulse = 0;
  std::uint16_t Sensitivity = 0;
  float MaxPressure = 0;
  float MaxTemperature = 0;
  std::uint16_t SensorType = 0;
  std::uint16_t CorrectionSign = 0;
};

}  // namespace kamt
