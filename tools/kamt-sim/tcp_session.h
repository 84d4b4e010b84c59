#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "fault_plan.h"
#include "modbus_handler.h"
#include "schedule.h"
#include "station.h"
#include "trace.h"
#include "trickle.h"

namespace kamt::sim {

// Which meter answers a unit identifier. Behind a plain Modbus TCP port one meter answers
// 0xFF, 0 and its own address; behind a gateway to a bus each meter answers its address only.
struct Units {
  Station* single = nullptr;
  const Bus* gateway = nullptr;

  Station* Find(std::uint8_t unit) const;
};

// One Modbus TCP connection: splits the byte stream into MBAP frames, answers them, and says
// when the connection must be closed (a header that cannot be right, or a "drop" or "reset"
// fault).
class TcpSession : public Session {
 public:
  static constexpr std::size_t kHeaderSize = 7;
  static constexpr std::size_t kMaxPdu = 253;

  TcpSession(Units units, Logger log = {});

  void Receive(std::span<const std::uint8_t> bytes, Millis now) override;
  std::vector<Emission> TakeDue(Millis now) override;
  std::optional<Millis> NextWake() const override;
  bool Flooding() const override { return flooding_; }

 private:
  void Answer(std::span<const std::uint8_t> frame, Millis now);

  Units units_;
  Logger log_;
  std::vector<std::uint8_t> buffer_;
  bool broken_ = false;
  bool flooding_ = false;
  Schedule out_;
  Trickle endless_;
};

}  // namespace kamt::sim
