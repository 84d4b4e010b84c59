#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <optional>
#include <span>
#include <vector>

#include "fault_plan.h"
#include "modbus_handler.h"
#include "modem.h"
#include "rtu_framer.h"
#include "schedule.h"
#include "station.h"
#include "trace.h"
#include "trickle.h"

namespace kamt::sim {

struct SerialConfig {
  std::uint32_t baud = 0;  // 0: answer at once
  std::optional<ModemConfig> modem;
  // Whether the line is set as the meters expect, asked for each request; none: always.
  std::function<bool()> lineMatches;
  std::string name = "serial";  // in the trace
  bool overTcp = false;          // frames carried over TCP: no silences mark their ends
};

// A serial line with meters on it (directly, or behind a serial-to-Ethernet converter): bytes
// in from the master, what goes back and when. A modem, when there is one, sits in front of
// the meters and decides what reaches them.
class SerialSide : public Session {
 public:
  SerialSide(SerialConfig config, const Bus& bus, Logger log = {});

  void Receive(std::span<const std::uint8_t> bytes, Millis now) override;
  std::vector<Emission> TakeDue(Millis now) override;
  std::optional<Millis> NextWake() const override;
  bool Flooding() const override { return flooding_; }

 private:
  void Advance(Millis now);
  void CollectModemOutput(Millis now);
  void Serve(Millis now);
  void Answer(const std::vector<std::uint8_t>& frame, Millis now);
  bool ModemPassesAnswers() const { return !modem_ || modem_->state() == Modem::State::Online; }

  SerialConfig config_;
  const Bus& bus_;
  Logger log_;
  RtuFramer framer_;
  std::optional<Modem> modem_;
  Schedule out_;
  Trickle endless_;
  bool flooding_ = false;
};

}  // namespace kamt::sim
