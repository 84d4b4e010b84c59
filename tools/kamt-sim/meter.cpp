#include "meter.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "meter_defaults.h"

namespace kamt::sim {

namespace {
constexpr int kFirstYear = 2000;  // the archives keep the year within the century
constexpr int kLastYear = 2099;
constexpr std::int64_t kMaxRecords = 65535;  // what an archive's capacity can be at most

// The archives at start are full, as a meter's that has run for long; the meter counts from
// its installation, a day before the oldest record it holds.
std::int64_t InstalledSeconds(const MeterSettings& s, std::int64_t clockSeconds) {
  std::int64_t oldest = clockSeconds;
  const std::pair<Period, std::uint16_t> archives[] = {
      {Period::Hour, s.hourRecords}, {Period::Day, s.dayRecords}, {Period::Month, s.monthRecords}};
  for (const auto& [period, count] : archives) {
    oldest = std::min(oldest, PeriodIndexStart(period, PeriodIndex(period, clockSeconds) - count + 1));
  }
  return oldest - 86400;
}

void PutU32(std::array<std::uint16_t, Meter::kInputCount>& r, std::size_t at, std::uint32_t v) {
  r[at] = static_cast<std::uint16_t>(v >> 16);
  r[at + 1] = static_cast<std::uint16_t>(v);
}

void PutU64(std::array<std::uint16_t, Meter::kInputCount>& r, std::size_t at, std::uint64_t v) {
  PutU32(r, at, static_cast<std::uint32_t>(v >> 32));
  PutU32(r, at + 2, static_cast<std::uint32_t>(v));
}

std::uint64_t Units(double m3, std::uint16_t decimals) {
  return static_cast<std::uint64_t>(std::floor(m3 * std::pow(10.0, EffectiveDecimals(decimals))));
}
}  // namespace

Meter::Meter(const MeterSettings& settings, Millis now)
    : settings_(settings),
      holding_(DefaultHoldingRegisters(settings)),
      history_(InstalledSeconds(settings, FloorDiv(now, 1000)) * 1000, settings.meanFlowM3h),
      logs_{ArchiveLog(Period::Hour, settings.hourRecords), ArchiveLog(Period::Day, settings.dayRecords),
            ArchiveLog(Period::Month, settings.monthRecords)},
      loggedUpToSeconds_(FloorDiv(now, 1000)) {
  for (ArchiveLog& log : logs_) {  // full: the log keeps the newest its capacity allows
    const std::int64_t current = PeriodIndex(log.period(), loggedUpToSeconds_);
    log.Append(current - kMaxRecords + 1, kMaxRecords, 0);
  }
}

void Meter::Sync(Millis now) {
  const std::int64_t clockSeconds = FloorDiv(ClockMs(now), 1000);
  for (ArchiveLog& log : logs_) {
    const std::int64_t from = PeriodIndex(log.period(), loggedUpToSeconds_) + 1;
    log.Append(from, PeriodIndex(log.period(), clockSeconds) - from + 1, clockOffsetMs_);
  }
  loggedUpToSeconds_ = std::max(loggedUpToSeconds_, clockSeconds);
}

std::array<std::uint16_t, Meter::kClockCount> Meter::ClockRegisters(Millis now) const {
  const std::int64_t s = FloorDiv(ClockMs(now), 1000);
  const CivilTime t = ToCivil(s);
  return {static_cast<std::uint16_t>(t.second), static_cast<std::uint16_t>(t.minute),
          static_cast<std::uint16_t>(t.hour),   static_cast<std::uint16_t>(t.day),
          static_cast<std::uint16_t>(DayOfWeek(s)), static_cast<std::uint16_t>(t.month),
          static_cast<std::uint16_t>(t.year)};
}

std::uint16_t Meter::ReadHolding(std::uint16_t address, Millis now) const {
  if (address >= kClockFirst && address < kClockFirst + kClockCount) {
    return ClockRegisters(now)[address - kClockFirst];
  }
  return address < kHoldingCount ? holding_[address] : 0;
}

bool Meter::WriteHolding(std::uint16_t first, std::span<const std::uint16_t> values, Millis now) {
  std::array<std::uint16_t, kHoldingCount> next = holding_;
  const auto clock = ClockRegisters(now);
  std::copy(clock.begin(), clock.end(), next.begin() + kClockFirst);
  for (std::size_t i = 0; i < values.size() && first + i < kHoldingCount; ++i) next[first + i] = values[i];

  const bool touchesClock = first < kClockFirst + kClockCount && first + values.size() > kClockFirst;
  if (touchesClock) {
    // The meter works the day of the week out itself; the written one is ignored.
    const CivilTime t{next[0x0E], next[0x0D], next[0x0B], next[0x0A], next[0x09], next[0x08]};
    if (!IsValidCivil(t) || t.year < kFirstYear || t.year > kLastYear) return false;
    // What the old setting reached is logged; from the new one on, the clock may reach the
    // same starts of periods again, and a real meter logs them again, with the counters of now.
    Sync(now);
    clockOffsetMs_ = FromCivil(t) * 1000 - now;
    loggedUpToSeconds_ = FloorDiv(ClockMs(now), 1000);
  }
  for (std::uint16_t a = 0; a < kHoldingCount; ++a) {
    if (a < kClockFirst || a >= kClockFirst + kClockCount) holding_[a] = next[a];
  }
  return true;
}

std::array<std::uint16_t, Meter::kInputCount> Meter::InputRegisters(Millis now) const {
  // What was measured follows the time base, whatever the clock was set to.
  std::array<std::uint16_t, kInputCount> r{};
  // The status word is the one value sent low word first.
  r[0] = static_cast<std::uint16_t>(settings_.status);
  r[1] = static_cast<std::uint16_t>(settings_.status >> 16);
  PutU32(r, 2, std::bit_cast<std::uint32_t>(static_cast<float>(history_.FlowM3h(now))));
  r[6] = settings_.plusDecimals;
  r[9] = settings_.minusDecimals;
  PutU64(r, 17, Units(history_.ForwardM3(now), settings_.plusDecimals));
  PutU64(r, 21, Units(history_.ReverseM3(now), settings_.minusDecimals));
  PutU32(r, 25, static_cast<std::uint32_t>(history_.WorkSeconds(now)));
  PutU32(r, 27, static_cast<std::uint32_t>(history_.RunSeconds(now)));
  r[29] = holding_[kSerialNumber];
  r[30] = RecordCount(ArchiveKind::Hourly);
  r[31] = RecordCount(ArchiveKind::Daily);
  r[32] = RecordCount(ArchiveKind::Monthly);
  const auto clock = ClockRegisters(now);
  const std::size_t order[] = {0, 1, 2, 3, 5, 6};  // seconds .. year, without the day of week
  for (std::size_t i = 0; i < 6; ++i) r[37 + i] = clock[order[i]];
  PutU32(r, 43, std::bit_cast<std::uint32_t>(history_.Pressure(now)));
  PutU32(r, 45, std::bit_cast<std::uint32_t>(history_.Temperature(now)));
  r[47] = holding_[kSensorType];
  return r;
}

ArchiveRecord Meter::Record(ArchiveKind kind, std::uint16_t index) const {
  const ArchiveLog::Entry e = Log(kind).At(index);
  return BuildArchiveRecord(history_, kind, e.takenSeconds,
                            {settings_.plusDecimals, settings_.minusDecimals, e.clockOffsetMs});
}

}  // namespace kamt::sim
