#include <gtest/gtest.h>

#include <cmath>

#include "fleet/export_format.h"

namespace kamt {
namespace {

StoredRecord Record(long long id, std::optional<long long> previous, std::uint8_t hour, std::int64_t plus,
                    std::uint32_t work, int copy = 0) {
  StoredRecord r;
  r.id = id;
  r.previousId = previous;
  r.copy = copy;
  r.record.hour = hour;
  r.record.day = 15;
  r.record.month = 6;
  r.record.year = 26;
  r.record.volumePlus = plus;
  r.record.workSeconds = work;
  r.record.voltage = 360;
  r.record.pressure = std::nanf("");
  return r;
}

// Rows follow the archive's order, also where a clock set back repeats a time, and none spans
// two records never read as neighbours.
TEST(FleetExport, RowsFollowTheArchiveNotTheClock) {
  const std::vector<StoredRecord> byTime = {
      Record(1, std::nullopt, 8, 100, 0), Record(2, 1, 9, 150, 3600), Record(5, 3, 9, 400, 10800, 1),
      Record(3, 2, 10, 300, 7200),        Record(6, std::nullopt, 12, 900, 18000), Record(7, 6, 13, 950, 21600)};
  std::vector<std::pair<long long, long long>> rows;
  for (const IntervalRow& row : IntervalRows(byTime)) rows.emplace_back(row.earlier->id, row.later->id);
  EXPECT_EQ(rows, (std::vector<std::pair<long long, long long>>{{1, 2}, {2, 3}, {3, 5}, {6, 7}}));
}

TEST(FleetExport, CsvAndJsonColumns) {
  StoredMeter meter{1, 1234, "Котельная, \"Север\"", "", "", 1};
  StoredRecord earlier = Record(1, std::nullopt, 23, 1005, 7200);
  StoredRecord later = Record(2, 1, 0, 1000, 3599, 1);
  later.record.day = 16;
  later.record.pressure = 6.4f;
  later.units = {2, 0};
  const IntervalRow row{&earlier, &later};
  EXPECT_EQ(CsvHeader(),
            "meter,serial_number,kind,start,end,volume_plus_m3,volume_minus_m3,work_hours,error_code,voltage_v,failures,"
            "pressure_kgf_cm2,temperature_c,clock_set_back\n");
  EXPECT_EQ(CsvRow(meter, ArchiveKind::Hourly, row),
            "\"Котельная, \"\"Север\"\"\",1234,hourly,2026-06-15T23:00:00,2026-06-16T00:00:00,-0.05,0,-1.00,0,3.60,0,"
            "6.40,,1\n");
  meter.sensorType = 0;
  EXPECT_EQ(JsonObject(meter, ArchiveKind::Monthly, row),
            "{\"meter\":\"Котельная, \\\"Север\\\"\",\"serial_number\":1234,\"kind\":\"monthly\","
            "\"start\":\"2026-06-15T23:00:00\",\"end\":\"2026-06-16T00:00:00\",\"volume_plus_m3\":-0.05,"
            "\"volume_minus_m3\":0,\"work_hours\":-1.00,\"error_code\":0,\"voltage_v\":null,\"failures\":null,"
            "\"pressure_kgf_cm2\":null,\"temperature_c\":null,\"clock_set_back\":1}");
}

}  // namespace
}  // namespace kamt
