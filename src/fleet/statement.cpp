#include "fleet/statement.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <regex>

#include "fleet/export_format.h"

namespace kamt {
namespace {

// The counters keep 0, 1 or 2 decimal places (anything else is 2, as the files print them).
int Places(int decimals) { return decimals == 0 ? 0 : decimals == 1 ? 1 : 2; }

// A count of units of `from` places in units of `to` places.
long long Scale(long long units, int from, int to) {
  for (int p = Places(from); p < Places(to); ++p) units *= 10;
  for (int p = Places(to); p < Places(from); ++p) units /= 10;
  return units;
}

int DaysIn(int year, int month) {
  using namespace std::chrono;
  return static_cast<int>(static_cast<unsigned>(
      year_month_day_last{std::chrono::year{year}, month_day_last{std::chrono::month{static_cast<unsigned>(month)}}}
          .day()));
}

std::string Text(const char* format, auto... values) {
  char text[128];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

// The day of the month an interval begins on, or 0 when it begins outside the month.
int DayOf(const StoredRecord& earlier, int year, int month) {
  const ArchiveRecord& r = earlier.record;
  return 2000 + r.year == year && r.month == month ? r.day : 0;
}

class Builder {
 public:
  Builder(Statement& s) : s_(s) {}

  long long Plus(const StoredRecord& r, long long units) const {
    return Scale(units, r.units.plusDecimals, s_.units.plusDecimals);
  }
  long long Minus(const StoredRecord& r, long long units) const {
    return Scale(units, r.units.minusDecimals, s_.units.minusDecimals);
  }

  StatementCounter Counter(const StoredRecord& r) const {
    return {RecordTime(r.record), Plus(r, r.record.volumePlus), Minus(r, r.record.volumeMinus)};
  }

  void AddDaily(const IntervalRow& row) {
    StatementDay* day = At(*row.earlier);
    if (!day) return;
    day->fromDaily = true;
    day->forward = Plus(*row.later, row.later->record.volumePlus - row.earlier->record.volumePlus);
    day->reverse = Minus(*row.later, row.later->record.volumeMinus - row.earlier->record.volumeMinus);
    day->workSeconds = static_cast<std::int32_t>(row.later->record.workSeconds - row.earlier->record.workSeconds);
  }

  void AddHourly(const IntervalRow& row, std::vector<std::pair<double, int>>& sensorSums) {
    StatementDay* day = At(*row.earlier);
    if (!day) return;
    const ArchiveRecord& e = row.earlier->record;
    const ArchiveRecord& l = row.later->record;
    ++day->hours;
    day->errorHours = day->errorHours.value_or(0) + (l.errorCode != 0 ? 1 : 0);
    if (!day->fromDaily) {
      day->forward = day->forward.value_or(0) + Plus(*row.later, l.volumePlus - e.volumePlus);
      day->reverse = day->reverse.value_or(0) + Minus(*row.later, l.volumeMinus - e.volumeMinus);
      day->workSeconds = day->workSeconds.value_or(0) + static_cast<std::int32_t>(l.workSeconds - e.workSeconds);
    }
    const float value = s_.sensorType == 1 ? l.pressure : s_.sensorType == 2 ? l.temperature : NAN;
    if (std::isfinite(value)) {
      auto& [sum, count] = sensorSums[static_cast<std::size_t>(day->day - 1)];
      sum += value;
      ++count;
    }
  }

 private:
  StatementDay* At(const StoredRecord& earlier) {
    const int day = DayOf(earlier, s_.year, s_.month);
    return day == 0 ? nullptr : &s_.days[static_cast<std::size_t>(day - 1)];
  }

  Statement& s_;
};

}  // namespace

std::string MonthStart(int year, int month) { return Text("%04d-%02d-01 00:00:00", year, month); }

std::string MonthEnd(int year, int month) {
  return month == 12 ? MonthStart(year + 1, 1) : MonthStart(year, month + 1);
}

bool ParseMonth(const std::string& text, int& year, int& month) {
  static const std::regex kMonth(R"((\d{4})-(\d{2}))");
  std::smatch m;
  if (!std::regex_match(text, m, kMonth)) return false;
  year = std::stoi(m[1].str());
  month = std::stoi(m[2].str());
  // The meter's year byte counts from 2000.
  return month >= 1 && month <= 12 && year >= 2000 && year <= 2254;
}

Statement MakeStatement(int year, int month, std::uint16_t sensorType, const std::vector<StoredRecord>& hourly,
                        const std::vector<StoredRecord>& daily) {
  Statement s;
  s.year = year;
  s.month = month;
  s.sensorType = sensorType;
  const int days = DaysIn(year, month);
  s.days.resize(static_cast<std::size_t>(days));
  for (int d = 1; d <= days; ++d) s.days[static_cast<std::size_t>(d - 1)].day = d;

  // The newest record's units for the whole statement; a meter rarely changes them.
  const StoredRecord* newest = nullptr;
  for (const auto* list : {&hourly, &daily}) {
    for (const StoredRecord& r : *list) {
      if (!newest || RecordTime(r.record) > RecordTime(newest->record)) newest = &r;
    }
  }
  if (!newest) {
    s.gapDays = days;
    return s;
  }
  s.units = {static_cast<std::uint16_t>(Places(newest->units.plusDecimals)),
             static_cast<std::uint16_t>(Places(newest->units.minusDecimals))};

  Builder build(s);
  for (const IntervalRow& row : IntervalRows(daily)) build.AddDaily(row);
  std::vector<std::pair<double, int>> sensorSums(s.days.size());
  for (const IntervalRow& row : IntervalRows(hourly)) build.AddHourly(row, sensorSums);

  for (StatementDay& day : s.days) {
    const auto& [sum, count] = sensorSums[static_cast<std::size_t>(day.day - 1)];
    if (count > 0) day.sensor = sum / count;
    if (day.Gap()) {
      ++s.gapDays;
      continue;
    }
    s.totalForward += *day.forward;
    s.totalReverse += day.reverse.value_or(0);
    s.totalWorkSeconds += day.workSeconds.value_or(0);
    s.totalErrorHours += day.errorHours.value_or(0);
  }

  // The readings: the earliest and the latest record within the month's bounds, either
  // archive; at equal times the daily one (the first copy, the meter's first log of it).
  const std::string first = MonthStart(year, month), last = MonthEnd(year, month);
  const StoredRecord* start = nullptr;
  const StoredRecord* end = nullptr;
  for (const auto* list : {&daily, &hourly}) {
    for (const StoredRecord& r : *list) {
      const std::string time = RecordTime(r.record);
      if (time < first || time > last) continue;
      if (!start || time < RecordTime(start->record)) start = &r;
      if (!end || time > RecordTime(end->record)) end = &r;
    }
  }
  if (start) s.start = build.Counter(*start);
  if (end) s.end = build.Counter(*end);
  return s;
}

namespace {

std::string Optional(const std::optional<long long>& units, int decimals) {
  return units ? Decimal(*units, decimals) : "";
}

std::string Hours(const std::optional<long long>& seconds) {
  return seconds ? Decimal(*seconds / 36, 2) : "";
}

std::string SensorText(const std::optional<double>& value, int sensorType) {
  if (!value) return "";
  return Text("%.*f", sensorType == 1 ? 2 : 1, *value);
}

std::string Iso(std::string time) {
  time[10] = 'T';
  return time;
}

}  // namespace

std::string StatementCsv(const StoredMeter& meter, const Statement& s) {
  const int plus = s.units.plusDecimals, minus = s.units.minusDecimals;
  std::string sensor = s.sensorType == 1 ? ",pressure_kgf_cm2" : s.sensorType == 2 ? ",temperature_c" : "";
  std::string csv = "meter,serial_number,date,volume_plus_m3,volume_minus_m3,work_hours,error_hours" + sensor +
                    ",hours_read\n";
  const std::string who = meter.name.find_first_of(",\"") == std::string::npos ? meter.name : "\"" + meter.name + "\"";
  const std::string lead = who + "," + std::to_string(meter.serialNumber) + ",";
  for (const StatementDay& d : s.days) {
    csv += lead + Text("%04d-%02d-%02d", s.year, s.month, d.day) + "," + Optional(d.forward, plus) + "," +
           Optional(d.reverse, minus) + "," + Hours(d.workSeconds) + "," +
           (d.errorHours ? std::to_string(*d.errorHours) : "") +
           (s.sensorType == 1 || s.sensorType == 2 ? "," + SensorText(d.sensor, s.sensorType) : "") + "," +
           std::to_string(d.hours) + "\n";
  }
  const std::string blank = s.sensorType == 1 || s.sensorType == 2 ? "," : "";
  csv += lead + "total," + Decimal(s.totalForward, plus) + "," + Decimal(s.totalReverse, minus) + "," +
         Hours(s.totalWorkSeconds) + "," + std::to_string(s.totalErrorHours) + blank + ",\n";
  for (const auto& [label, counter] : {std::pair{"start", &s.start}, std::pair{"end", &s.end}}) {
    if (!*counter) continue;
    csv += lead + label + " " + Iso((*counter)->time) + "," + Decimal((*counter)->plus, plus) + "," +
           Decimal((*counter)->minus, minus) + ",," + blank + ",\n";
  }
  return csv;
}

namespace {

std::string Html(const std::string& text) {
  std::string out;
  for (const char c : text) out += c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '&' ? "&amp;" : std::string(1, c);
  return out;
}

std::string WithSeparator(std::string number, const std::string& separator) {
  if (const auto point = number.find('.'); point != std::string::npos) number.replace(point, 1, separator);
  return number;
}

std::string DottedDate(const std::string& time) {
  // "2026-12-01 00:00:00" as "01.12.2026 00:00".
  return time.substr(8, 2) + "." + time.substr(5, 2) + "." + time.substr(0, 4) + " " + time.substr(11, 5);
}

}  // namespace

std::string StatementHtml(const StoredMeter& meter, const Statement& s, const std::string& separator) {
  const int plus = s.units.plusDecimals, minus = s.units.minusDecimals;
  const bool sensor = s.sensorType == 1 || s.sensorType == 2;
  const auto cell = [&](const std::string& text) { return "<td align=\"right\">" + WithSeparator(text, separator) + "</td>"; };
  const std::string gap = "<td align=\"center\">&mdash;</td>";
  std::string html = "<html><body><h2>Ведомость учёта</h2><p>Прибор: " + Html(meter.name) + ", зав. номер " +
                     std::to_string(meter.serialNumber) + "<br>Месяц: " + Text("%02d.%04d", s.month, s.year) +
                     "</p><table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\"><tr><th>Дата</th>"
                     "<th>Объём +, м3</th><th>Объём &minus;, м3</th><th>Время работы, ч</th>"
                     "<th>Часов с кодом ошибки</th>";
  if (s.sensorType == 1) html += "<th>Давление, кг/см2</th>";
  if (s.sensorType == 2) html += "<th>Температура, °C</th>";
  html += "<th>Часов в архиве</th></tr>";
  for (const StatementDay& d : s.days) {
    html += "<tr><td nowrap>" + Text("%02d.%02d.%04d", d.day, s.month, s.year) + (d.Partial() ? " *" : "") + "</td>";
    if (d.Gap()) {
      html += gap + gap + gap;
    } else {
      html += cell(Decimal(*d.forward, plus)) + cell(Optional(d.reverse, minus)) + cell(Hours(d.workSeconds));
    }
    html += d.errorHours ? cell(std::to_string(*d.errorHours)) : gap;
    if (sensor) html += d.sensor ? cell(SensorText(d.sensor, s.sensorType)) : gap;
    html += cell(std::to_string(d.hours)) + "</tr>";
  }
  html += "<tr><th>Итого</th>" + cell("<b>" + Decimal(s.totalForward, plus) + "</b>") +
          cell("<b>" + Decimal(s.totalReverse, minus) + "</b>") + cell("<b>" + Hours(s.totalWorkSeconds) + "</b>") +
          cell("<b>" + std::to_string(s.totalErrorHours) + "</b>") + (sensor ? "<td></td>" : "") + "<td></td></tr>";
  html += "</table><p>";
  for (const auto& [label, counter] :
       {std::pair{"Показания на начало", &s.start}, std::pair{"Показания на конец", &s.end}}) {
    html += std::string(label) + ": ";
    html += *counter ? DottedDate((*counter)->time) + ": + " + WithSeparator(Decimal((*counter)->plus, plus), separator) +
                           " м3, &minus; " + WithSeparator(Decimal((*counter)->minus, minus), separator) + " м3"
                     : "нет записи";
    html += "<br>";
  }
  if (s.gapDays > 0) html += "Дней без записей: " + std::to_string(s.gapDays) + " (&mdash;)<br>";
  html += "* неполные сутки: не все часы в архиве</p></body></html>";
  return html;
}

}  // namespace kamt
