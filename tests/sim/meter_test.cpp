// What the meter answers: refusals, the clock, and archives across month and year ends.
#include <gtest/gtest.h>

#include <bit>

#include "archive.h"
#include "meter.h"
#include "sim_test_util.h"

namespace kamt::sim {
namespace {

const Millis kStart = At(2026, 3, 15, 10, 20) + 30'000;  // a Sunday
std::int64_t S(int y, unsigned mo, unsigned d, unsigned h = 0) { return At(y, mo, d, h) / 1000; }

TEST(SimMeter, AnswersOrRefusesEachRequestAsModbusSays) {
  Meter meter(MeterSettings{}, kStart);
  ModbusHandler handler(meter);
  const std::tuple<const char*, const char*, std::size_t> cases[] = {  // request, answer start, answer size
      {"04 10 2F 00 01", "04 02", 4}, {"04 10 2F 00 02", "84 02", 2}, {"03 00 00 00 2B", "83 02", 2},
      {"05 00 01 FF 00", "85 01", 2}, {"46 02 CF", "46 02 CF", 43}, {"46 02 D0", "C6 02", 2},
      {"10 00 0A 00 01 02 00 18", "90 03", 2}, {"10 00 0B 00 03 06 00 1E 00 02 00 02", "90 03", 2},  // 24 h, 30 Feb
      {"10 00 08 00 07 0E 00 1E 00 05 00 0C 00 09 00 06 00 03 07 E5", "10 00 08 00 07", 5},
      {"03 00 08 00 07", "03 0E 00 1E 00 05 00 0C 00 09 00 02 00 03 07 E5", 16}};  // the weekday worked out
  for (const auto& [request, start, size] : cases) {
    const Bytes answer = handler.Answer(Hex(request), kStart);
    const Bytes head = Hex(start);
    ASSERT_EQ(answer.size(), size) << request;
    EXPECT_TRUE(std::equal(head.begin(), head.end(), answer.begin())) << request;
  }
}

TEST(SimMeter, PeriodsStepBackAcrossMonthAndYearEnds) {
  const std::tuple<Period, std::int64_t, int, std::int64_t> steps[] = {
      {Period::Hour, S(2026, 1, 1), 1, S(2025, 12, 31, 23)}, {Period::Day, S(2024, 3, 1), 1, S(2024, 2, 29)},
      {Period::Day, S(2023, 3, 1), 1, S(2023, 2, 28)},       {Period::Month, S(2026, 2, 1), 26, S(2023, 12, 1)},
      {Period::Month, S(2025, 11, 1), -3, S(2026, 2, 1)}};
  for (const auto& [period, from, n, back] : steps) EXPECT_EQ(PeriodsBack(period, from, n), back) << from << " " << n;
  EXPECT_EQ(PeriodStart(Period::Month, S(2026, 3, 15, 10) + 1234), S(2026, 3, 1));
}

std::uint64_t BigEndian(const ArchiveRecord& r, std::size_t at, std::size_t n) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < n; ++i) v = v << 8 | r[at + i];
  return v;
}

std::int64_t Taken(const ArchiveRecord& r) { return FromCivil({2000 + r[3], r[2], r[1], r[0], 0, 0}); }

// Each start of an hour, day or month the clock reaches appends a record, and the oldest drops
// off; a clock set back logs the same times again, with the counters of then, and leaves what
// was logged as it was.
TEST(SimMeter, ArchivesLogEachPeriodTheClockReaches) {
  MeterSettings s;
  s.hourRecords = 5, s.dayRecords = s.monthRecords = 3;
  Meter meter(s, At(2025, 12, 31, 22, 30));
  const auto log = [&meter](ArchiveKind kind) {
    std::vector<std::int64_t> times;
    for (std::uint16_t i = 0; i < meter.RecordCount(kind); ++i) times.push_back(Taken(meter.Record(kind, i)));
    return times;
  };
  meter.Sync(At(2026, 1, 1, 0, 30));
  EXPECT_EQ(log(ArchiveKind::Hourly), (std::vector{S(2025, 12, 31, 20), S(2025, 12, 31, 21), S(2025, 12, 31, 22),
                                                   S(2025, 12, 31, 23), S(2026, 1, 1)}));
  const ArchiveRecord firstMidnight = meter.Record(ArchiveKind::Hourly, 4);
  const std::uint16_t clock[] = {0, 10, 23, 31, 3, 12, 2025};  // 23:10 on 31 December 2025
  ASSERT_TRUE(meter.WriteHolding(Meter::kClockFirst, clock, At(2026, 1, 1, 0, 30)));
  meter.Sync(At(2026, 1, 1, 1, 30));
  EXPECT_EQ(log(ArchiveKind::Hourly), (std::vector{S(2025, 12, 31, 21), S(2025, 12, 31, 22), S(2025, 12, 31, 23),
                                                   S(2026, 1, 1), S(2026, 1, 1)}));
  EXPECT_EQ(log(ArchiveKind::Daily), (std::vector{S(2025, 12, 31), S(2026, 1, 1), S(2026, 1, 1)}));
  EXPECT_EQ(log(ArchiveKind::Monthly), (std::vector{S(2025, 12, 1), S(2026, 1, 1), S(2026, 1, 1)}));
  EXPECT_EQ(meter.Record(ArchiveKind::Hourly, 3), firstMidnight);
  for (std::uint16_t i = 1; i < 5; ++i) {  // pressure least significant byte first, temperature most
    const ArchiveRecord r = meter.Record(ArchiveKind::Hourly, i);
    const auto pressure = std::bit_cast<float>(static_cast<std::uint32_t>(r[28] | r[29] << 8 | r[30] << 16 | r[31] << 24));
    const auto temperature = std::bit_cast<float>(static_cast<std::uint32_t>(BigEndian(r, 32, 4)));
    EXPECT_TRUE(pressure > 3.5f && pressure < 5.0f && temperature > 10.0f && temperature < 25.0f) << i;
    EXPECT_GT(BigEndian(r, 8, 8), BigEndian(meter.Record(ArchiveKind::Hourly, i - 1), 8, 8));
  }
  EXPECT_EQ(meter.InputRegisters(At(2026, 1, 1, 1, 30))[30], 5);
}

}  // namespace
}  // namespace kamt::sim
