#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "fault_plan.h"
#include "meter.h"
#include "modbus_handler.h"
#include "schedule.h"

namespace kamt::sim {

// One simulated meter: its registers and archives, what answers for it, and its own faults.
struct Station {
  // `start`: the meter clock when it starts, in the time of `time` (see ModbusHandler).
  Station(const MeterSettings& settings, Millis start, FaultPlan plan, const TimeBase* time = nullptr)
      : address(settings.address), meter(settings, start), handler(meter, time), faults(std::move(plan)) {}
  Station(const Station&) = delete;
  Station& operator=(const Station&) = delete;

  std::uint8_t address;
  Meter meter;
  ModbusHandler handler;
  FaultPlan faults;
};

// The meters that share one line, found by their address; address 0 is the broadcast, which
// no meter answers.
class Bus {
 public:
  void Add(Station& station) { byAddress_[station.address] = &station; }
  Station* Find(std::uint8_t address) const { return address == 0 ? nullptr : byAddress_[address]; }

 private:
  std::array<Station*, 256> byAddress_{};
};

// One connection or line as the fronts see it: bytes in, what goes back and when.
class Session {
 public:
  virtual ~Session() = default;
  virtual void Receive(std::span<const std::uint8_t> bytes, Millis now) = 0;
  virtual std::vector<Emission> TakeDue(Millis now) = 0;
  virtual std::optional<Millis> NextWake() const = 0;
  // Since a flood fault struck, the line or connection carries junk for ever and nothing else.
  virtual bool Flooding() const = 0;
};

}  // namespace kamt::sim
