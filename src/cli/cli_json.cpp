#include "cli/cli_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <charconv>
#include <cstdio>

#include "meter/combo_items.h"
#include "meter/current_data.h"
#include "meter/form_fields.h"
#include "meter/meter_clock.h"
#include "meter/meter_scan.h"
#include "setup/window.h"

namespace kamt {
namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string Text(const QJsonObject& object) {
  return QJsonDocument(object).toJson(QJsonDocument::Indented).toStdString();
}

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

QJsonValue Quantity(double value, std::string_view unit) {
  if (unit.empty()) return value;
  return QJsonObject{{"value", value}, {"unit", Q(unit)}};
}

// The number between a label's caption and its unit: "Расход: -12.35 м3/час".
QJsonValue LabelQuantity(std::string_view text, std::string_view caption, std::string_view unit) {
  if (!text.starts_with(caption) || !text.ends_with(" " + std::string(unit))) return QJsonValue::Null;
  const auto number = Decimal(text.substr(caption.size(), text.size() - caption.size() - unit.size() - 1));
  return number ? Quantity(*number, unit) : QJsonValue::Null;
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
QJsonValue ItemValue(std::string_view item, std::string_view captionUnit) {
  if (const auto number = Decimal(item)) return Quantity(*number, captionUnit);
  const auto blank = item.find(' ');
  if (blank != std::string_view::npos) {
    if (const auto number = Decimal(item.substr(0, blank))) return Quantity(*number, item.substr(blank + 1));
  }
  return Q(item);
}

QJsonValue FieldValue(const FormField& f, const Window& w, std::string_view sep) {
  const std::string text = FieldText(w, f);
  if (text.empty()) return QJsonValue::Null;
  if (!ComboItems(f.control).empty()) return ItemValue(text, CaptionUnit(f.caption));
  if (f.name == "ip") return Q(text);
  const auto number = Decimal(text, sep);
  return number ? Quantity(*number, CaptionUnit(f.caption)) : QJsonValue(Q(text));
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
  QJsonObject o{
      {"flow", LabelQuantity(t.Label1, "Расход: ", "м3/час")},
      {"forward_volume", LabelQuantity(t.Label2, "Счетчик '+': ", "м3")},
      {"reverse_volume", LabelQuantity(t.Label3, "Счетчик '-': ", "м3")},
      {"operating_time", LabelQuantity(t.Label4, "Время работы: ", "час")},
      {"running_time", LabelQuantity(t.Label7, "Наработка: ", "час")},
      {"pressure", d.SensorType == 1 ? LabelQuantity(t.Pressure_Label, "Давление: ", "кг/см2") : QJsonValue::Null},
      {"temperature", d.SensorType == 2 ? LabelQuantity(t.Pressure_Label, "Температура: ", "градС") : QJsonValue::Null},
      {"sensor", sensor},
      {"state", Q(After(t.Label5, "Состояние: "))},
      {"status", static_cast<double>(d.Status)},
      {"serial_number", d.SerialNumber},
      {"archive_records", QJsonObject{{"hourly", d.HourRecords}, {"daily", d.DayRecords}, {"monthly", d.MonthRecords}}},
      {"meter_time", Q(IsoTime(d.Year, d.Month, d.Day, d.Hours, d.Minutes, d.Seconds))},
  };
  return Text(o);
}

std::string FieldsJson(std::span<const FormField> fields, const Window& window, std::string_view sep) {
  QJsonObject o;
  for (const FormField& f : fields) o.insert(Q(f.name), FieldValue(f, window, sep));
  return Text(o);
}

std::string ClockJson(const MeterClockRecord& c, std::string_view dayOfWeek, std::optional<long long> aheadS) {
  QJsonObject o{
      {"meter_time", Q(IsoTime(c.year, c.month, c.day, c.hours, c.minutes, c.seconds))},
      {"day_of_week", dayOfWeek.empty() ? QJsonValue::Null : QJsonValue(Q(dayOfWeek))},
      {"ahead_of_computer", aheadS ? Quantity(static_cast<double>(*aheadS), "с") : QJsonValue::Null},
  };
  return Text(o);
}

std::string ScanJson(const ScanResult& r) {
  QJsonArray meters;
  for (const ScanFind& f : r.found) {
    const QJsonValue line =
        f.lineKnown ? QJsonValue(QJsonObject{{"baud", f.line.baudrate}, {"data_bits", 8},
                                             {"parity", ParityName(f.line.parity)}, {"stop_bits", 1}})
                    : QJsonValue::Null;
    meters.append(QJsonObject{{"address", f.address}, {"line", line}, {"serial_number", f.serialNumber}});
  }
  QJsonObject o{{"meters", meters}, {"attempts", r.attempts}, {"planned", r.total}, {"stopped", r.stopped}};
  return Text(o);
}

}  // namespace kamt
