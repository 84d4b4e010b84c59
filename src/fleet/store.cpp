#include "fleet/store.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace kamt {

namespace {

bool SameValue(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }

}  // namespace

bool SameRecord(const ArchiveRecord& a, const ArchiveRecord& b) {
  ArchiveRecord x = a;
  x.pressure = b.pressure;
  x.temperature = b.temperature;
  return x == b && SameValue(a.pressure, b.pressure) && SameValue(a.temperature, b.temperature);
}

std::string UtcNowText() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{now - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02ld:%02ld:%02lldZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<long>(time.hours().count()), static_cast<long>(time.minutes().count()),
                static_cast<long long>(time.seconds().count()));
  return text;
}

std::string RecordTime(const ArchiveRecord& r) {
  char text[40];
  // The year byte counts from 2000; every byte is kept whatever it says, so the record's own
  // bytes come back from the text.
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:00:00", 2000 + r.year, r.month, r.day, r.hour);
  return text;
}

void SetRecordTime(ArchiveRecord& r, const std::string& time) {
  int year = 2000, month = 0, day = 0, hour = 0;
  std::sscanf(time.c_str(), "%d-%d-%d %d", &year, &month, &day, &hour);
  r.year = static_cast<std::uint8_t>(year - 2000);
  r.month = static_cast<std::uint8_t>(month);
  r.day = static_cast<std::uint8_t>(day);
  r.hour = static_cast<std::uint8_t>(hour);
}

}  // namespace kamt
