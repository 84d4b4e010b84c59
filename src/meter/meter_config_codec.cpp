#include "meter/meter_config_codec.h"

#include <algorithm>

#include "meter/registers.h"

namespace kamt {
namespace {

// Register of each field, counted from 0x0008. Register 4 is the clock's day of week, which
// the configuration leaves alone.
struct ClockField {
  std::size_t reg;
  std::int16_t MeterConfigRecord::*field;
};
constexpr ClockField kClockFields[] = {{0, &MeterConfigRecord::Seconds}, {1, &MeterConfigRecord::Minutes},
                                       {2, &MeterConfigRecord::Hours},   {3, &MeterConfigRecord::Day},
                                       {5, &MeterConfigRecord::Month},   {6, &MeterConfigRecord::Year}};

struct FloatField {
  std::size_t reg;
  float MeterConfigRecord::*field;
};
constexpr FloatField kFloatFields[] = {
    {7, &MeterConfigRecord::ConversionFactor}, {9, &MeterConfigRecord::MaxFlow},
    {11, &MeterConfigRecord::FreqCorrection},  {13, &MeterConfigRecord::TransitionFreq},
    {15, &MeterConfigRecord::MinFreq},         {17, &MeterConfigRecord::ZeroOffsetVoltage},
    {28, &MeterConfigRecord::MaxPressure},     {30, &MeterConfigRecord::MaxTemperature}};

struct WordField {
  std::size_t reg;
  std::uint16_t MeterConfigRecord::*field;
};
constexpr WordField kWordFields[] = {
    {19, &MeterConfigRecord::CaptureCycles}, {20, &MeterConfigRecord::Divider},
    {21, &MeterConfigRecord::Digits},        {22, &MeterConfigRecord::Channels},
    {23, &MeterConfigRecord::DisplayOff},    {24, &MeterConfigRecord::Diameter},
    {25, &MeterConfigRecord::SerialNumber},  {26, &MeterConfigRecord::ProbePulse},
    {27, &MeterConfigRecord::Sensitivity},   {32, &MeterConfigRecord::SensorType},
    {33, &MeterConfigRecord::CorrectionSign}};

constexpr std::size_t kFirstWrittenRegister = modbus::kConfigWriteFirst - modbus::kConfigFirst;

}  // namespace

MeterConfigRecord DecodeMeterConfig(std::span<const std::uint8_t, kMeterConfigSize> data) {
  const RegisterView r(data);
  MeterConfigRecord c;
  for (const ClockField& f : kClockFields) c.*f.field = r.I16(f.reg);
  for (const FloatField& f : kFloatFields) c.*f.field = r.Float(f.reg);
  for (const WordField& f : kWordFields) c.*f.field = r.U16(f.reg);
  return c;
}

std::array<std::uint8_t, kMeterConfigWriteSize> EncodeMeterConfig(const MeterConfigRecord& c) {
  std::array<std::uint8_t, kMeterConfigSize> block{};
  RegisterWriter w(block);
  for (const FloatField& f : kFloatFields) w.Float(f.reg, c.*f.field);
  for (const WordField& f : kWordFields) w.U16(f.reg, c.*f.field);
  std::array<std::uint8_t, kMeterConfigWriteSize> out{};
  std::copy_n(block.begin() + 2 * kFirstWrittenRegister, out.size(), out.begin());
  return out;
}

}  // namespace kamt
