#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fault_plan.h"
#include "line_setting.h"
#include "meter.h"
#include "modem.h"

namespace kamt::sim {

inline constexpr unsigned kMaxFleet = 10'000;

struct SimOptions {
  MeterSettings meter;  // what every meter has; the address and serial number of the first
  std::vector<std::uint8_t> addresses;         // of the meters on the bus; empty: meter.address
  std::vector<std::uint16_t> serialNumbers;    // empty: counted up from meter.serialNumber
  unsigned fleet = 0;                          // meters each on a TCP port of their own; 0: none
  bool serial = true;
  std::string link;                 // symlink to make to the serial device; empty: none
  std::optional<std::uint16_t> tcpPort;
  std::optional<std::uint16_t> rtuTcpPort;
  bool tcpUnitIsAddress = false;    // over Modbus TCP, a gateway in front of the bus
  std::optional<LineSetting> line;  // the serial line setting the meters answer at; none: any
  std::uint32_t baud = 0;           // 0: no line-time pacing
  std::optional<Millis> start;      // the meters' clock at start; none: the host's local time
  double timeScale = 1.0;           // simulated seconds per real second
  int answerDelayMs = 0;
  std::vector<Fault> faults;
  std::vector<std::pair<unsigned, Fault>> fleetFaults;  // meter index, its own fault
  std::optional<unsigned> faultTimes;
  unsigned faultSkip = 0;
  ArchiveFailure archiveFailure = ArchiveFailure::Crc;
  bool modem = false;
  ModemConfig modemConfig;
  std::optional<std::int64_t> exitAfterMs;
  bool verbose = false;
  bool help = false;
};

struct ParsedCommandLine {
  std::optional<SimOptions> options;
  std::string error;  // one line, when options is empty
};

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string HelpText();

}  // namespace kamt::sim
