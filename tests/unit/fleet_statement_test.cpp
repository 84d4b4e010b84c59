#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "fleet/statement.h"

namespace kamt {
namespace {

// A run of records read as neighbours, `stepHours` apart from `first` on, the counter '+'
// growing by `perStep`; every record whose time `hole` names is left out, which cuts the run.
std::vector<StoredRecord> Records(long long firstId, std::chrono::sys_seconds first, int count, int stepHours,
                              long long perStep, const std::function<bool(int)>& hole = {},
                              const std::function<int(int)>& errorCode = {}) {
  std::vector<StoredRecord> records;
  std::optional<long long> previous;
  for (int i = 0; i < count; ++i) {
    if (hole && hole(i)) {
      previous.reset();
      continue;
    }
    const auto at = first + std::chrono::hours(i * stepHours);
    const std::chrono::year_month_day date{std::chrono::floor<std::chrono::days>(at)};
    StoredRecord r;
    r.id = firstId + i;
    r.previousId = previous;
    r.record.year = static_cast<std::uint8_t>(static_cast<int>(date.year()) - 2000);
    r.record.month = static_cast<std::uint8_t>(static_cast<unsigned>(date.month()));
    r.record.day = static_cast<std::uint8_t>(static_cast<unsigned>(date.day()));
    r.record.hour = static_cast<std::uint8_t>((at - std::chrono::floor<std::chrono::days>(at)) / std::chrono::hours(1));
    r.record.volumePlus = 500000 + perStep * i;
    r.record.volumeMinus = 7;
    r.record.workSeconds = static_cast<std::uint32_t>(3600 * stepHours * i);
    r.record.pressure = 4.0f + static_cast<float>(i % 2);  // 4 and 5: a mean of 4.5
    r.record.temperature = std::nanf("");
    r.record.errorCode = static_cast<std::uint8_t>(errorCode ? errorCode(i) : 0);
    records.push_back(r);
    previous = r.id;
  }
  return records;
}

std::chrono::sys_seconds At(int y, unsigned m, unsigned d) {
  return std::chrono::sys_days{std::chrono::year{y} / std::chrono::month{m} / std::chrono::day{d}};
}

struct Expected {
  int day;
  std::optional<long long> forward;
  std::optional<int> errorHours;
  std::optional<double> sensor;
};

struct Case {
  const char* name;
  int year, month;
  std::uint16_t sensorType;
  std::vector<StoredRecord> hourly, daily;
  std::vector<Expected> days;
  int gapDays;
  long long totalForward;
  const char* start;
  const char* end;
};

TEST(FleetStatement, DaysTotalsGapsAndCounters) {
  const Case cases[] = {
      // February of a common year from the daily archive, 100 a day; the record of the 11th is
      // missing, so the 10th and the 11th are gaps, and the total is the other 26 days'.
      {"daily, gap, month end", 2027, 2, 1, {},
       Records(1, At(2027, 2, 1), 29, 24, 100, [](int i) { return i == 10; }),
       {{9, 100, std::nullopt, std::nullopt}, {10, std::nullopt, std::nullopt, std::nullopt},
        {11, std::nullopt, std::nullopt, std::nullopt}, {28, 100, std::nullopt, std::nullopt}},
       2, 2600, "2027-02-01 00:00:00", "2027-03-01 00:00:00"},
      // The year's last day from the hourly archive alone, 3 a hour, errors in hours 5 to 7;
      // every other day of December is a gap. The pressure is the mean of the day's hours.
      {"hourly, year end, pressure", 2026, 12, 1, Records(100, At(2026, 12, 31), 25, 1, 3, {}, [](int i) {
         return i >= 6 && i <= 8 ? 4 : 0;
       }), {},
       {{30, std::nullopt, std::nullopt, std::nullopt}, {31, 72, 3, 4.5}},
       30, 72, "2026-12-31 00:00:00", "2027-01-01 00:00:00"},
      // No sensor: the records' pressure is no value of the statement. Half a day read.
      {"no sensor, part of a day", 2026, 6, 0, Records(200, At(2026, 6, 15), 13, 1, 10), {},
       {{15, 120, 0, std::nullopt}}, 29, 120, "2026-06-15 00:00:00", "2026-06-15 12:00:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Statement s = MakeStatement(c.year, c.month, c.sensorType, c.hourly, c.daily);
    for (const Expected& e : c.days) {
      SCOPED_TRACE(e.day);
      const StatementDay& d = s.days.at(static_cast<std::size_t>(e.day - 1));
      EXPECT_EQ(d.forward, e.forward);
      EXPECT_EQ(d.errorHours, e.errorHours);
      EXPECT_EQ(d.sensor.has_value(), e.sensor.has_value());
      if (d.sensor && e.sensor) {
        EXPECT_NEAR(*d.sensor, *e.sensor, 1e-6);
      }
    }
    EXPECT_EQ(s.gapDays, c.gapDays);
    EXPECT_EQ(s.totalForward, c.totalForward);
    ASSERT_TRUE(s.start && s.end);
    EXPECT_EQ(s.start->time, c.start);
    EXPECT_EQ(s.end->time, c.end);
  }
}

// Gaps are empty cells, never zeros; the sensor's column only where the meter has one.
TEST(FleetStatement, CsvLeavesGapsEmpty) {
  const StoredMeter meter{1, 77, "m", "", "", 0};
  const Statement s = MakeStatement(2026, 6, 0, Records(200, At(2026, 6, 15), 13, 1, 10), {});
  const std::string csv = StatementCsv(meter, s);
  EXPECT_EQ(csv.substr(0, csv.find('\n')), "meter,serial_number,date,volume_plus_m3,volume_minus_m3,work_hours,error_hours,hours_read");
  EXPECT_NE(csv.find("\nm,77,2026-06-14,,,,,0\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\nm,77,2026-06-15,1.20,0.00,12.00,0,12\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\nm,77,total,1.20,0.00,12.00,0,\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\nm,77,end 2026-06-15T12:00:00,5001.20,0.07,,,\n"), std::string::npos) << csv;
}

}  // namespace
}  // namespace kamt
