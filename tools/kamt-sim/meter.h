#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "archive.h"
#include "archive_log.h"
#include "civil_time.h"
#include "flow_history.h"

namespace kamt::sim {

// What the command line can set about the meter.
struct MeterSettings {
  std::uint8_t address = 1;
  std::uint16_t serialNumber = 1234;
  std::uint16_t hourRecords = 720;
  std::uint16_t dayRecords = 62;
  std::uint16_t monthRecords = 24;
  std::uint16_t sensorType = 1;
  std::uint32_t status = 0x00000001;  // bit 0: the flow runs forward
  std::uint16_t plusDecimals = 2;
  std::uint16_t minusDecimals = 2;
  std::uint32_t baud = 9600;  // what the stored RS485 parameters claim
  std::uint16_t tcpPort = 502;
  double meanFlowM3h = 12.5;
};

// The meter's registers and archives. Time comes in from outside: `now` is the simulator's own
// time base; the meter clock runs at the same pace, shifted by whatever a clock write set.
// Time never goes back: each `now` is at least the one before.
class Meter {
 public:
  static constexpr std::uint16_t kHoldingCount = 0x2A;
  static constexpr std::uint16_t kClockFirst = 0x08;
  static constexpr std::uint16_t kClockCount = 7;
  static constexpr std::uint16_t kSerialNumber = 0x21;
  static constexpr std::uint16_t kSensorType = 0x28;
  static constexpr std::uint16_t kInputFirst = 0x1000;
  static constexpr std::uint16_t kInputCount = 48;

  Meter(const MeterSettings& settings, Millis now);

  Millis ClockMs(Millis now) const { return now + clockOffsetMs_; }
  std::uint16_t SerialNumber() const { return holding_[kSerialNumber]; }
  std::uint16_t ReadHolding(std::uint16_t address, Millis now) const;
  // False when the values would set an impossible clock; nothing is changed then.
  bool WriteHolding(std::uint16_t first, std::span<const std::uint16_t> values, Millis now);
  std::array<std::uint16_t, kInputCount> InputRegisters(Millis now) const;

  // Logs a record for each start of an hour, day and month the meter clock has reached since
  // the last call: before anything is read, so the archives are up to date.
  void Sync(Millis now);
  std::uint16_t RecordCount(ArchiveKind kind) const { return Log(kind).Size(); }
  ArchiveRecord Record(ArchiveKind kind, std::uint16_t index) const;

 private:
  std::array<std::uint16_t, kClockCount> ClockRegisters(Millis now) const;
  const ArchiveLog& Log(ArchiveKind kind) const { return logs_[static_cast<std::size_t>(kind)]; }

  MeterSettings settings_;
  std::array<std::uint16_t, kHoldingCount> holding_{};
  Millis clockOffsetMs_ = 0;
  FlowHistory history_;
  std::array<ArchiveLog, 3> logs_;  // in the order of ArchiveKind
  std::int64_t loggedUpToSeconds_;  // of the meter clock
};

}  // namespace kamt::sim
