#include "archive.h"

#include <gtest/gtest.h>

#include <bit>

#include "meter.h"
#include "sim_test_util.h"

namespace kamt::sim {
namespace {

struct Decoded {
  std::int64_t takenSeconds;
  unsigned voltage, failures;
  std::int64_t forward, reverse;
  std::uint32_t work;
  float pressure, temperature;
  unsigned error;
};

std::uint64_t BigEndian(const ArchiveRecord& r, std::size_t at, std::size_t n) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < n; ++i) v = v << 8 | r[at + i];
  return v;
}

Decoded Decode(const ArchiveRecord& r) {
  std::uint32_t pressure = 0;
  for (std::size_t i = 0; i < 4; ++i) pressure |= std::uint32_t{r[28 + i]} << (8 * i);  // least significant first
  return {FromCivil({2000 + r[3], r[2], r[1], r[0], 0, 0}),
          static_cast<unsigned>(BigEndian(r, 4, 2)),
          static_cast<unsigned>(BigEndian(r, 6, 2)),
          static_cast<std::int64_t>(BigEndian(r, 8, 8)),
          static_cast<std::int64_t>(BigEndian(r, 16, 8)),
          static_cast<std::uint32_t>(BigEndian(r, 24, 4)),
          std::bit_cast<float>(pressure),
          std::bit_cast<float>(static_cast<std::uint32_t>(BigEndian(r, 32, 4))),
          r[39]};
}

std::vector<Decoded> ReadAll(ArchiveKind kind, std::uint16_t count, Millis start) {
  MeterSettings s;
  s.hourRecords = s.dayRecords = s.monthRecords = count;
  const Meter meter(s, start);
  std::vector<Decoded> out;
  for (std::uint16_t i = 0; i < count; ++i) out.push_back(Decode(meter.Record(kind, i, start)));
  return out;
}

// Runs through a leap day and a year end in each archive.
struct Span {
  ArchiveKind kind;
  std::uint16_t count;
  Millis start;
  std::int64_t newestSeconds;
};

const Span kSpans[] = {
    {ArchiveKind::Hourly, 1500, test::At(2024, 3, 1, 1, 30), test::At(2024, 3, 1, 1) / 1000},
    {ArchiveKind::Hourly, 60, test::At(2027, 1, 1, 2, 5), test::At(2027, 1, 1, 2) / 1000},
    {ArchiveKind::Daily, 800, test::At(2024, 3, 2, 9), test::At(2024, 3, 2) / 1000},
    {ArchiveKind::Monthly, 40, test::At(2025, 2, 10, 9), test::At(2025, 2, 1) / 1000},
};

// Each record is one period after the one before, the newest the period just begun; counters
// never go back, and the working time of an interval is most of it but never more. Over long
// spans the rare events show: reverse flow, stops, failures (in few hours).
TEST(SimArchive, RecordsFollowEachOtherPeriodByPeriodAndGrowPlausibly) {
  for (const Span& span : kSpans) {
    const auto r = ReadAll(span.kind, span.count, span.start);
    EXPECT_EQ(r.back().takenSeconds, span.newestSeconds);
    int reverseGrew = 0, workedLess = 0, withFailures = 0;
    for (std::size_t i = 1; i < r.size(); ++i) {
      ASSERT_EQ(PeriodsBack(PeriodOf(span.kind), r[i].takenSeconds, 1), r[i - 1].takenSeconds) << "record " << i;
      const std::int64_t interval = r[i].takenSeconds - r[i - 1].takenSeconds;
      ASSERT_GT(r[i].forward, r[i - 1].forward);
      ASSERT_GE(r[i].reverse, r[i - 1].reverse);
      ASSERT_LE(r[i].work - r[i - 1].work, interval);
      ASSERT_GT(r[i].work - r[i - 1].work, interval / 2);
      ASSERT_NEAR(r[i].voltage, 360, 5);
      EXPECT_EQ(r[i].error != 0, r[i].failures != 0);
      reverseGrew += r[i].reverse > r[i - 1].reverse;
      workedLess += r[i].work - r[i - 1].work < interval;
      withFailures += r[i].failures != 0;
    }
    if (r.back().takenSeconds - r.front().takenSeconds < 500 * 3600) continue;
    EXPECT_TRUE(reverseGrew > 0 && workedLess > 0 && withFailures > 0)
        << reverseGrew << " " << workedLess << " " << withFailures;
    if (span.kind == ArchiveKind::Hourly) {
      EXPECT_LT(withFailures * 20, static_cast<int>(r.size()));
    }
  }
}

// Pressure is stored least significant byte first, temperature most significant first.
TEST(SimArchive, PressureIsLittleEndianAndTemperatureBigEndian) {
  for (const Decoded& d : ReadAll(ArchiveKind::Hourly, 48, test::StartTime())) {
    EXPECT_TRUE(d.pressure > 3.5f && d.pressure < 5.0f) << d.pressure;
    EXPECT_TRUE(d.temperature > 10.0f && d.temperature < 25.0f) << d.temperature;
  }
}

TEST(SimArchive, SameStartGivesTheSameBytes) {
  MeterSettings s;
  const Meter a(s, test::StartTime());
  const Meter b(s, test::StartTime());
  for (const int i : {0, 719}) {
    const auto index = static_cast<std::uint16_t>(i);
    EXPECT_EQ(a.Record(ArchiveKind::Hourly, index, test::StartTime()),
              b.Record(ArchiveKind::Hourly, index, test::StartTime() + 1000));
  }
  s.plusDecimals = 1;
  const Meter c(s, test::StartTime());
  const auto tenTimes = Decode(a.Record(ArchiveKind::Daily, 10, test::StartTime())).forward;
  EXPECT_NEAR(static_cast<double>(Decode(c.Record(ArchiveKind::Daily, 10, test::StartTime())).forward),
              static_cast<double>(tenTimes) / 10, 1.0);
}

TEST(SimArchive, CurrentCountersAreAheadOfTheNewestRecord) {
  const MeterSettings s;
  const Meter meter(s, test::StartTime());
  const auto current = meter.InputRegisters(test::StartTime());
  const std::uint64_t forward = std::uint64_t{current[17]} << 48 | std::uint64_t{current[18]} << 32 |
                                std::uint64_t{current[19]} << 16 | current[20];
  const Decoded newest = Decode(meter.Record(ArchiveKind::Hourly, 719, test::StartTime()));
  EXPECT_GE(static_cast<std::int64_t>(forward), newest.forward);
  EXPECT_LT(static_cast<std::int64_t>(forward) - newest.forward, 1875);  // under half an hour of flow, in 0.01 m³
}

TEST(SimArchive, SettingTheClockMovesTheDatesNotTheCounters) {
  const MeterSettings s;
  Meter meter(s, test::StartTime());
  const Decoded before = Decode(meter.Record(ArchiveKind::Daily, 61, test::StartTime()));
  // 12:05:30 on 9 March 2021.
  const std::uint16_t clock[] = {30, 5, 12, 9, 2, 3, 2021};
  ASSERT_TRUE(meter.WriteHolding(Meter::kClockFirst, clock, test::StartTime()));
  const Decoded after = Decode(meter.Record(ArchiveKind::Daily, 61, test::StartTime()));
  EXPECT_EQ(after.takenSeconds, test::At(2021, 3, 9) / 1000);
  EXPECT_NEAR(static_cast<double>(after.forward), static_cast<double>(before.forward), 100.0 * 24 * 12.5 * 2);
}

}  // namespace
}  // namespace kamt::sim
