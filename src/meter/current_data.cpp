#include "meter/current_data.h"

#include <bit>
#include <cstdio>

#include "meter/number_format.h"
#include "meter/registers.h"
#include "setup/window.h"

namespace kamt {

CurrentDataRecord DecodeCurrentData(std::span<const std::uint8_t, kCurrentDataSize> data) {
  const RegisterView r(data);
  CurrentDataRecord d;
  // The status word is the one value whose first register holds the low half.
  d.Status = std::uint32_t{r.U16(1)} << 16 | r.U16(0);
  d.Flow = r.Float(2);
  d.PlusDecimals = r.U16(6);
  d.MinusDecimals = r.U16(9);
  d.PlusCounter = r.U64(17);
  d.MinusCounter = r.U64(21);
  d.WorkSeconds = r.U32(25);
  d.RunSeconds = r.U32(27);
  d.SerialNumber = r.U16(29);
  d.HourRecords = r.U16(30);
  d.DayRecords = r.U16(31);
  d.MonthRecords = r.U16(32);
  d.Seconds = r.I16(37);
  d.Minutes = r.I16(38);
  d.Hours = r.I16(39);
  d.Day = r.I16(40);
  d.Month = r.I16(41);
  d.Year = r.I16(42);
  d.Pressure = r.Float(43);
  d.Temperature = r.Float(45);
  d.SensorType = r.U16(47);
  return d;
}

namespace {

int FlowDecimals(std::uint16_t plusDecimals) { return plusDecimals <= 1 ? plusDecimals : 2; }

std::string StateText(std::uint32_t status) { return "Состояние: " + MeterState(status); }

std::string SensorText(const CurrentDataRecord& d, std::string_view sep) {
  if (d.SensorType == 1) return "Давление: " + FormatFixed(d.Pressure, 5, 2, sep) + " кг/см2";
  if (d.SensorType == 2) return "Температура: " + FormatFixed(d.Temperature, 3, 0, sep) + " градС";
  return "Датчик отключен";
}

std::string ClockText(const CurrentDataRecord& d) {
  char text[80];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d", d.Day, d.Month, d.Year, d.Hours,
                d.Minutes, d.Seconds);
  return std::string("Текущее время: ") + text;
}

std::string RecordsShown(std::uint16_t count) { return std::to_string(int{count} - 1); }

}  // namespace

std::string MeterState(std::uint32_t status) {
  if (status & (1u << 20)) return "нет сигнала";
  if (status & (1u << 14)) return "нет сигн. в канале 1";
  if (status & (1u << 15)) return "нет сигн. в канале 2";
  return "норм. работа";
}

bool MeterStateNormal(std::uint32_t status) { return (status & ((1u << 20) | (1u << 14) | (1u << 15))) == 0; }

std::string FormatCounter(std::uint32_t value, std::uint16_t decimals) {
  if (decimals == 0) return std::to_string(value);
  if (decimals == 1) return std::to_string(value / 10) + "." + std::to_string(value % 10);
  const std::uint32_t cents = value % 100;
  return std::to_string(value / 100) + (cents >= 10 ? "." : ".0") + std::to_string(cents);
}

std::string FormatHours(std::uint32_t seconds) {
  const std::uint32_t hundredths = seconds % 3600 / 36;
  return std::to_string(seconds / 3600) + (hundredths >= 10 ? "." : ".0") + std::to_string(hundredths);
}

CurrentDataTexts FormatCurrentData(const CurrentDataRecord& d, std::string_view sep) {
  CurrentDataTexts t;
  t.Label1 = std::string((d.Status & 1) ? "Расход: " : "Расход: -") +
             FormatFixed(d.Flow, 10, FlowDecimals(d.PlusDecimals), sep) + " м3/час";
  t.Label2 = "Счетчик '+': " + FormatCounter(static_cast<std::uint32_t>(d.PlusCounter), d.PlusDecimals) + " м3";
  t.Label3 = "Счетчик '-': " + FormatCounter(static_cast<std::uint32_t>(d.MinusCounter), d.MinusDecimals) + " м3";
  t.Label4 = "Время работы: " + FormatHours(d.WorkSeconds) + " час";
  t.Label7 = "Наработка: " + FormatHours(d.RunSeconds) + " час";
  t.Pressure_Label = SensorText(d, sep);
  t.Label5 = StateText(d.Status);
  t.Label6 = "Зав. номер: " + std::to_string(d.SerialNumber);
  t.HourNum_Label = "Всего записей:" + RecordsShown(d.HourRecords);
  t.DayNum_Label = "Всего записей:" + RecordsShown(d.DayRecords);
  t.MonthNum_Label = "Всего записей:" + RecordsShown(d.MonthRecords);
  t.HourNum_Edit = RecordsShown(d.HourRecords);
  t.DayNum_Edit = RecordsShown(d.DayRecords);
  t.MonthNum_Edit = RecordsShown(d.MonthRecords);
  t.CurTime_Label = ClockText(d);
  return t;
}

void ShowCurrentData(const CurrentDataRecord& d, Window& w, std::string_view sep) {
  const CurrentDataTexts t = FormatCurrentData(d, sep);
  w.SetText("Label1", t.Label1);
  w.SetText("Label2", t.Label2);
  w.SetText("Label3", t.Label3);
  w.SetText("Label4", t.Label4);
  w.SetText("Label7", t.Label7);
  w.SetText("Pressure_Label", t.Pressure_Label);
  w.SetText("Label5", t.Label5);
  w.SetText("Label6", t.Label6);
  w.SetText("HourNum_Label", t.HourNum_Label);
  w.SetText("DayNum_Label", t.DayNum_Label);
  w.SetText("MonthNum_Label", t.MonthNum_Label);
  w.SetText("HourNum_Edit", t.HourNum_Edit);
  w.SetText("DayNum_Edit", t.DayNum_Edit);
  w.SetText("MonthNum_Edit", t.MonthNum_Edit);
  w.SetText("CurTime_Label", t.CurTime_Label);
  w.SetEnabled("Button2", d.HourRecords > 1);
  w.SetEnabled("Button3", d.DayRecords > 1);
  w.SetEnabled("Button4", d.MonthRecords > 1);
}

}  // namespace kamt
