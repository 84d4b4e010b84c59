#include "archive.h"

#include <bit>
#include <cmath>

namespace kamt::sim {

namespace {
constexpr std::uint8_t kErrorPowerLoss = 0x10;

void PutBigEndian(ArchiveRecord& r, std::size_t at, std::uint64_t v, std::size_t bytes) {
  for (std::size_t i = 0; i < bytes; ++i) {
    r[at + i] = static_cast<std::uint8_t>(v >> (8 * (bytes - 1 - i)));
  }
}

std::int64_t CounterUnits(double m3, std::uint16_t decimals) {
  return static_cast<std::int64_t>(std::floor(m3 * std::pow(10.0, EffectiveDecimals(decimals))));
}

std::uint8_t YearInCentury(int year) { return static_cast<std::uint8_t>((year % 100 + 100) % 100); }
}  // namespace

Period PeriodOf(ArchiveKind kind) {
  switch (kind) {
    case ArchiveKind::Hourly:
      return Period::Hour;
    case ArchiveKind::Daily:
      return Period::Day;
    case ArchiveKind::Monthly:
      return Period::Month;
  }
  return Period::Hour;
}

int EffectiveDecimals(std::uint16_t setting) { return setting <= 1 ? setting : 2; }

ArchiveRecord BuildArchiveRecord(const FlowHistory& history, ArchiveKind kind, std::int64_t takenSeconds,
                                 const RecordFormat& format) {
  const std::int64_t ms = takenSeconds * 1000 - format.clockOffsetMs;
  const std::int64_t previousMs = PeriodsBack(PeriodOf(kind), takenSeconds, 1) * 1000 - format.clockOffsetMs;
  const CivilTime t = ToCivil(takenSeconds);
  const int failures = history.FailuresBetween(previousMs, ms);

  ArchiveRecord r{};
  r[0] = static_cast<std::uint8_t>(t.hour);
  r[1] = static_cast<std::uint8_t>(t.day);
  r[2] = static_cast<std::uint8_t>(t.month);
  r[3] = YearInCentury(t.year);
  PutBigEndian(r, 4, history.VoltageCentivolts(ms), 2);
  PutBigEndian(r, 6, static_cast<std::uint64_t>(failures), 2);
  PutBigEndian(r, 8, static_cast<std::uint64_t>(CounterUnits(history.ForwardM3(ms), format.plusDecimals)), 8);
  PutBigEndian(r, 16, static_cast<std::uint64_t>(CounterUnits(history.ReverseM3(ms), format.minusDecimals)), 8);
  PutBigEndian(r, 24, static_cast<std::uint32_t>(history.WorkSeconds(ms)), 4);
  const auto pressure = std::bit_cast<std::uint32_t>(history.Pressure(ms));
  for (std::size_t i = 0; i < 4; ++i) r[28 + i] = static_cast<std::uint8_t>(pressure >> (8 * i));
  PutBigEndian(r, 32, std::bit_cast<std::uint32_t>(history.Temperature(ms)), 4);
  r[39] = failures > 0 ? kErrorPowerLoss : 0;
  return r;
}

}  // namespace kamt::sim
