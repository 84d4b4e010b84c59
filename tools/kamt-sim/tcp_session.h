#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "fault_plan.h"
#include "modbus_handler.h"
#include "schedule.h"
#include "trace.h"
#include "trickle.h"

namespace kamt::sim {

// One Modbus TCP connection: splits the byte stream into MBAP frames, answers them, and says
// when the connection must be closed (a header that cannot be right, or a "drop" or "reset"
// fault).
class TcpSession {
 public:
  static constexpr std::size_t kHeaderSize = 7;
  static constexpr std::size_t kMaxPdu = 253;

  TcpSession(std::uint8_t address, ModbusHandler& handler, FaultPlan& faults, Logger log = {});

  void Receive(std::span<const std::uint8_t> bytes, Millis now);
  std::vector<Emission> TakeDue(Millis now);
  std::optional<Millis> NextWake() const;
  // Since a flood fault struck, the connection carries junk for ever and nothing else.
  bool Flooding() const { return flooding_; }

 private:
  void Answer(std::span<const std::uint8_t> frame, Millis now);
  bool ForThisMeter(std::uint8_t unit) const;

  std::uint8_t address_;
  ModbusHandler& handler_;
  FaultPlan& faults_;
  Logger log_;
  std::vector<std::uint8_t> buffer_;
  bool broken_ = false;
  bool flooding_ = false;
  Schedule out_;
  Trickle endless_;
};

}  // namespace kamt::sim
