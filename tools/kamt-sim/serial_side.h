#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "fault_plan.h"
#include "modbus_handler.h"
#include "modem.h"
#include "rtu_framer.h"
#include "schedule.h"
#include "trace.h"
#include "trickle.h"

namespace kamt::sim {

struct SerialConfig {
  std::uint8_t address = 1;
  std::uint32_t baud = 0;  // 0: answer at once
  std::optional<ModemConfig> modem;
};

// The meter's serial line: bytes in from the master, what goes back and when. A modem, when
// there is one, sits in front of the meter and decides what reaches it.
class SerialSide {
 public:
  SerialSide(SerialConfig config, ModbusHandler& handler, FaultPlan& faults, Logger log = {});

  void Receive(std::span<const std::uint8_t> bytes, Millis now);
  std::vector<Emission> TakeDue(Millis now);
  std::optional<Millis> NextWake() const;
  // Since a flood fault struck, the line carries junk for ever and nothing else.
  bool Flooding() const { return flooding_; }

 private:
  void Advance(Millis now);
  void CollectModemOutput(Millis now);
  void Serve(Millis now);
  void Answer(const std::vector<std::uint8_t>& frame, Millis now);
  bool ModemPassesAnswers() const { return !modem_ || modem_->state() == Modem::State::Online; }

  SerialConfig config_;
  ModbusHandler& handler_;
  FaultPlan& faults_;
  Logger log_;
  RtuFramer framer_;
  std::optional<Modem> modem_;
  Schedule out_;
  Trickle endless_;
  bool flooding_ = false;
};

}  // namespace kamt::sim
