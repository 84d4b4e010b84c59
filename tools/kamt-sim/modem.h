#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "civil_time.h"

namespace kamt::sim {

struct ModemConfig {
  bool echo = true;
  Millis dialDelayMs = 300;
  Millis guardMs = 900;
  bool silent = false;  // never answers a dial
  std::vector<std::string> busy;
  std::vector<std::string> noCarrier;
  std::vector<std::string> noDialtone;
  std::vector<std::string> connectOk;  // "CONNECT 9600" and "OK" in one answer; online all the same
};

// A Hayes modem between the serial line and the meter. In command mode it echoes what it
// receives and runs one AT command per carriage return; after a dial it is online and passes
// bytes through, until "+++" framed by a guard time of silence on each side returns it to
// command mode with the call still up.
class Modem {
 public:
  enum class State { Command, Dialling, Online };

  explicit Modem(ModemConfig config) : config_(std::move(config)) {}

  void Receive(std::span<const std::uint8_t> bytes, Millis now);
  void Advance(Millis now);  // lets dial results and the escape guard time happen
  std::optional<Millis> Deadline() const;

  std::string TakeToLine();                 // what the modem says to the computer
  std::vector<std::uint8_t> TakeToMeter();  // what passes on to the meter
  State state() const { return state_; }

 private:
  void CommandByte(std::uint8_t b, Millis now);
  void RunCommand(const std::string& line, Millis now);
  void StartDial(const std::string& number, Millis now);
  void OnlineByte(std::uint8_t b, Millis now);
  void ReleaseHeldPluses();

  ModemConfig config_;
  State state_ = State::Command;
  std::string line_;
  std::string toLine_;
  std::vector<std::uint8_t> toMeter_;
  std::string dialAnswer_;
  Millis dialDoneAt_ = 0;
  std::optional<Millis> lastRx_;
  int pluses_ = 0;  // escape characters held back while the guard time decides
};

}  // namespace kamt::sim
