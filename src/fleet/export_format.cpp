#include "fleet/export_format.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "meter/archive_file.h"
#include "meter/archive_kinds.h"
#include "text/text_file.h"

namespace kamt {
namespace {

ArchiveFileFormat FormatOf(const StoredMeter& meter, ArchiveKind kind, const StoredRecord& later) {
  return {kind, meter.serialNumber, later.units.plusDecimals, later.units.minusDecimals, meter.sensorType};
}

}  // namespace

std::string Decimal(long long units, int decimals) {
  const int places = decimals == 0 ? 0 : decimals == 1 ? 1 : 2;
  const unsigned long long scale = places == 0 ? 1 : places == 1 ? 10 : 100;
  const auto bits = static_cast<unsigned long long>(units);
  const unsigned long long magnitude = units < 0 ? 0ULL - bits : bits;
  std::string text = (units < 0 ? "-" : "") + std::to_string(magnitude / scale);
  if (places == 0) return text;
  char fraction[8];
  std::snprintf(fraction, sizeof fraction, ".%0*llu", places, magnitude % scale);
  return text + fraction;
}

namespace {

std::string Iso(const ArchiveRecord& r) {
  std::string time = RecordTime(r);
  time[10] = 'T';
  return time;
}

std::string Sensor(float value, int decimals, bool shown) {
  if (!shown || !std::isfinite(value)) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
  return text;
}

// The columns of an interval, in the file's order, after the meter's name.
constexpr const char* kColumns[] = {"serial_number", "kind", "start", "end", "volume_plus_m3", "volume_minus_m3",
                                    "work_hours", "error_code", "voltage_v", "failures", "pressure_kgf_cm2",
                                    "temperature_c", "clock_set_back"};
constexpr std::size_t kTextColumns = 3;  // kind, start, end: the texts among them

// The values of the columns of one interval.
std::vector<std::string> Columns(const StoredMeter& m, ArchiveKind kind, const IntervalRow& row) {
  const ArchiveRecord& e = row.earlier->record;
  const ArchiveRecord& l = row.later->record;
  const auto work = static_cast<std::int32_t>(l.workSeconds - e.workSeconds);
  return {
      std::to_string(m.serialNumber),
      std::string(KindInfo(kind).name),
      Iso(e),
      Iso(l),
      Decimal(l.volumePlus - e.volumePlus, row.later->units.plusDecimals),
      Decimal(l.volumeMinus - e.volumeMinus, row.later->units.minusDecimals),
      Decimal(work / 36, 2),
      std::to_string(l.errorCode),
      kind == ArchiveKind::Monthly ? "" : Decimal(l.voltage, 2),
      kind == ArchiveKind::Hourly ? std::to_string(l.failures) : "",
      Sensor(l.pressure, 2, kind == ArchiveKind::Hourly && m.sensorType == 1),
      Sensor(l.temperature, 0, kind == ArchiveKind::Hourly && m.sensorType == 2),
      row.earlier->copy > 0 || row.later->copy > 0 ? "1" : "0",
  };
}

std::string CsvText(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) out += c == '"' ? "\"\"" : std::string(1, c);
  return out + "\"";
}

std::string JsonText(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

std::vector<IntervalRow> IntervalRows(const std::vector<StoredRecord>& records) {
  std::map<long long, const StoredRecord*> byId;
  std::multimap<long long, const StoredRecord*> byPrevious;
  for (const StoredRecord& r : records) byId[r.id] = &r;
  for (const StoredRecord& r : records) {
    if (r.previousId && byId.contains(*r.previousId)) byPrevious.emplace(*r.previousId, &r);
  }
  std::vector<IntervalRow> rows;
  std::set<long long> visited;
  // Each run of neighbours from its first record on, the runs by the time of their first.
  for (const StoredRecord& head : records) {
    if (head.previousId && byId.contains(*head.previousId)) continue;
    for (const StoredRecord* at = &head; at && visited.insert(at->id).second;) {
      const auto next = byPrevious.find(at->id);
      if (next == byPrevious.end()) break;
      rows.push_back({at, next->second});
      at = next->second;
    }
  }
  return rows;
}

std::string ArchiveFileText(const StoredMeter& meter, ArchiveKind kind, const std::vector<IntervalRow>& rows) {
  ArchiveFileFormat format{kind, meter.serialNumber, 2, 2, meter.sensorType};
  std::string text = FormatArchiveHeader(format);
  for (const IntervalRow& row : rows) {
    text += FormatArchiveRow(FormatOf(meter, kind, *row.later), row.earlier->record, row.later->record);
  }
  return text;
}

std::filesystem::path WriteArchiveFile(const StoredMeter& meter, ArchiveKind kind, const std::vector<IntervalRow>& rows,
                                       const std::filesystem::path& folder, std::string& error) {
  const std::filesystem::path path = folder / ArchiveFileName(kind, meter.serialNumber);
  std::error_code made;
  std::filesystem::create_directories(folder, made);
  if (!WriteTextFile(path, ArchiveFileText(meter, kind, rows), &error)) return {};
  return path;
}

std::string MeterCsv(Store& store, const StoredMeter& meter) {
  std::string text = CsvHeader();
  for (const ArchiveKind kind : {ArchiveKind::Hourly, ArchiveKind::Daily, ArchiveKind::Monthly}) {
    const std::vector<StoredRecord> records = store.Records(meter.id, kind, "", "");
    for (const IntervalRow& row : IntervalRows(records)) text += CsvRow(meter, kind, row);
  }
  return text;
}

std::string CsvHeader() {
  std::string header = "meter";
  for (const char* name : kColumns) header += std::string(",") + name;
  return header + "\n";
}

std::string CsvRow(const StoredMeter& meter, ArchiveKind kind, const IntervalRow& row) {
  std::string line = CsvText(meter.name);
  for (const std::string& value : Columns(meter, kind, row)) line += "," + CsvText(value);
  return line + "\n";
}

std::string JsonObject(const StoredMeter& meter, ArchiveKind kind, const IntervalRow& row) {
  std::string object = "{\"meter\":" + JsonText(meter.name);
  const std::vector<std::string> values = Columns(meter, kind, row);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const bool text = i >= 1 && i <= kTextColumns;
    const std::string value = text ? JsonText(values[i]) : values[i].empty() ? "null" : values[i];
    object += std::string(",\"") + kColumns[i] + "\":" + value;
  }
  return object + "}";
}

}  // namespace kamt
