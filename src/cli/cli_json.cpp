#include "cli/cli_json.h"

#include <charconv>
#include <cstdio>

#include "cli/json_value.h"
#include "meter/combo_items.h"
#include "meter/current_data.h"
#include "meter/form_fields.h"
#include "meter/meter_clock.h"
#include "meter/meter_scan.h"
#include "setup/window.h"

namespace kamt {
namespace {

// A number as the program writes it (a point, perhaps an exponent), read whole; locale-free.
std::optional<double> Decimal(std::string_view text, std::string_view separator = ".") {
  std::string plain(text);
  if (separator != ".") {
    if (const auto at = plain.find(separator); at != std::string::npos) plain.replace(at, separator.size(), ".");
  }
  if (!plain.empty() && plain.front() == '+') plain.erase(0, 1);
  double value = 0;
  const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (ec != std::errc() || end != plain.data() + plain.size() || plain.empty()) return std::nullopt;
  return value;
}

JsonValue Quantity(double value, std::string_view unit) {
  if (unit.empty()) return value;
  return JsonValue::Object({{"value", value}, {"unit", unit}});
}

// The number between a label's caption and its unit: "Расход: -12.35 м3/час".
JsonValue LabelQuantity(std::string_view text, std::string_view caption, std::string_view unit) {
  if (!text.starts_with(caption) || !text.ends_with(" " + std::string(unit))) return JsonValue();
  const auto number = Decimal(text.substr(caption.size(), text.size() - caption.size() - unit.size() - 1));
  return number ? Quantity(*number, unit) : JsonValue();
}

std::string_view After(std::string_view text, std::string_view caption) {
  return text.starts_with(caption) ? text.substr(caption.size()) : text;
}

// "Максимальный расход, м3/ч": the unit follows the last comma.
std::string_view CaptionUnit(std::string_view caption) {
  const auto comma = caption.rfind(", ");
  return comma == std::string_view::npos ? std::string_view() : caption.substr(comma + 2);
}

// An item of a list: a number ("100", with the caption's unit), a number and its unit ("15 мс"),
// or a text ("Через 5 минут").
JsonValue ItemValue(std::string_view item, std::string_view captionUnit) {
  if (const auto number = Decimal(item)) return Quantity(*number, captionUnit);
  const auto blank = item.find(' ');
  if (blank != std::string_view::npos) {
    if (const auto number = Decimal(item.substr(0, blank))) return Quantity(*number, item.substr(blank + 1));
  }
  return item;
}

JsonValue FieldValue(const FormField& f, const Window& w, std::string_view sep) {
  const std::string text = FieldText(w, f);
  if (text.empty()) return JsonValue();
  if (!ComboItems(f.control).empty()) return ItemValue(text, CaptionUnit(f.caption));
  if (f.name == "ip") return text;
  const auto number = Decimal(text, sep);
  return number ? Quantity(*number, CaptionUnit(f.caption)) : JsonValue(text);
}

std::string IsoTime(int year, int month, int day, int hour, int minute, int second) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, hour, minute, second);
  return text;
}

const char* ParityName(Parity parity) {
  switch (parity) {
    case Parity::Even: return "even";
    case Parity::Odd: return "odd";
    case Parity::Mark: return "mark";
    case Parity::Space: return "space";
    case Parity::None: break;
  }
  return "none";
}

}  // namespace

std::string CurrentDataJson(const CurrentDataRecord& d) {
  const CurrentDataTexts t = FormatCurrentData(d, ".");
  const char* sensor = d.SensorType == 1 ? "Давление" : d.SensorType == 2 ? "Температура" : "Датчик отключен";
  return JsonValue::Object({
             {"flow", LabelQuantity(t.Label1, "Расход: ", "м3/час")},
             {"forward_volume", LabelQuantity(t.Label2, "Счетчик '+': ", "м3")},
             {"reverse_volume", LabelQuantity(t.Label3, "Счетчик '-': ", "м3")},
             {"operating_time", LabelQuantity(t.Label4, "Время работы: ", "час")},
             {"running_time", LabelQuantity(t.Label7, "Наработка: ", "час")},
             {"sensor", sensor},
             {"pressure", d.SensorType == 1 ? LabelQuantity(t.Pressure_Label, "Давление: ", "кг/см2") : JsonValue()},
             {"temperature", d.SensorType == 2 ? LabelQuantity(t.Pressure_Label, "Температура: ", "градС") : JsonValue()},
             {"state", After(t.Label5, "Состояние: ")},
             {"status", static_cast<double>(d.Status)},
             {"serial_number", d.SerialNumber},
             {"archive_records",
              JsonValue::Object({{"hourly", d.HourRecords}, {"daily", d.DayRecords}, {"monthly", d.MonthRecords}})},
             {"meter_time", IsoTime(d.Year, d.Month, d.Day, d.Hours, d.Minutes, d.Seconds)},
         })
      .Text();
}

std::string FieldsJson(std::span<const FormField> fields, const Window& window, std::string_view sep) {
  JsonValue o = JsonValue::Object({});
  for (const FormField& f : fields) o.Add(std::string(f.name), FieldValue(f, window, sep));
  return o.Text();
}

std::string ClockJson(const MeterClockRecord& c, std::string_view dayOfWeek, std::optional<long long> aheadS) {
  return JsonValue::Object({
             {"meter_time", IsoTime(c.year, c.month, c.day, c.hours, c.minutes, c.seconds)},
             {"day_of_week", dayOfWeek.empty() ? JsonValue() : JsonValue(dayOfWeek)},
             {"ahead_of_computer", aheadS ? Quantity(static_cast<double>(*aheadS), "с") : JsonValue()},
         })
      .Text();
}

std::string ScanJson(const ScanResult& r) {
  JsonValue meters = JsonValue::Array({});
  for (const ScanFind& f : r.found) {
    const JsonValue line = f.lineKnown ? JsonValue::Object({{"baud", f.line.baudrate},
                                                            {"data_bits", 8},
                                                            {"parity", ParityName(f.line.parity)},
                                                            {"stop_bits", 1}})
                                       : JsonValue();
    meters.Push(JsonValue::Object({{"address", f.address}, {"line", line}, {"serial_number", f.serialNumber}}));
  }
  return JsonValue::Object({{"meters", meters}, {"attempts", r.attempts}, {"planned", r.total}, {"stopped", r.stopped}})
      .Text();
}

}  // namespace kamt
