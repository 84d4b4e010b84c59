#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "link/modbus.h"

namespace kamt {

class Window;

inline constexpr std::size_t kCurrentDataSize = 2 * modbus::kCurrentDataCount;

// The meter's current-data block as decoded. The archive reads take the record counts, the
// counter decimals, the serial number and the sensor type from the last successful read.
struct CurrentDataRecord {
  std::uint32_t Status = 0;        // bit 0 forward flow; 14, 15 no signal in channel 1, 2; 20 no signal
  float Flow = 0;                  // m3/h
  std::uint16_t PlusDecimals = 0;  // 0, 1, anything else 2
  std::uint16_t MinusDecimals = 0;
  std::uint64_t PlusCounter = 0;   // all four registers; the display uses the low 32 bits
  std::uint64_t MinusCounter = 0;
  std::uint32_t WorkSeconds = 0;
  std::uint32_t RunSeconds = 0;
  std::uint16_t SerialNumber = 0;
  std::uint16_t HourRecords = 0;
  std::uint16_t DayRecords = 0;
  std::uint16_t MonthRecords = 0;
  std::int16_t Seconds = 0;
  std::int16_t Minutes = 0;
  std::int16_t Hours = 0;
  std::int16_t Day = 0;
  std::int16_t Month = 0;
  std::int16_t Year = 0;
  float Pressure = 0;              // kgf/cm2, shown when SensorType is 1
  float Temperature = 0;           // degC, shown when SensorType is 2
  std::uint16_t SensorType = 0;    // 1 pressure, 2 temperature, anything else none
};

CurrentDataRecord DecodeCurrentData(std::span<const std::uint8_t, kCurrentDataSize> data);

// The texts of the "Данные" group and of the archive groups, in the order they are shown.
struct CurrentDataTexts {
  std::string Label1, Label2, Label3, Label4, Label7, Pressure_Label, Label5, Label6;
  std::string HourNum_Label, DayNum_Label, MonthNum_Label;
  std::string HourNum_Edit, DayNum_Edit, MonthNum_Edit;
  std::string CurTime_Label;
};

CurrentDataTexts FormatCurrentData(const CurrentDataRecord& data, std::string_view decimalSeparator);

// A counter of `decimals` places (0, 1, anything else 2) as the window shows it, with a point.
// The state the status word reports, as "Состояние:" shows it ("норм. работа", "нет сигнала").
std::string MeterState(std::uint32_t status);
bool MeterStateNormal(std::uint32_t status);

std::string FormatCounter(std::uint32_t value, std::uint16_t decimals);
// Seconds as hours with two truncated decimals, "1.50".
std::string FormatHours(std::uint32_t seconds);

// Writes the texts into the window and enables each archive button whose archive holds more
// than one record.
void ShowCurrentData(const CurrentDataRecord& data, Window& window, std::string_view decimalSeparator);

}  // namespace kamt
