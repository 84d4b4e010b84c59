#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fault_plan.h"
#include "meter.h"
#include "modem.h"

namespace kamt::sim {

struct SimOptions {
  MeterSettings meter;
  bool serial = true;
  std::string link;                 // symlink to make to the serial device; empty: none
  std::optional<std::uint16_t> tcpPort;
  std::uint32_t baud = 0;           // 0: no line-time pacing
  std::vector<Fault> faults;
  std::optional<unsigned> faultTimes;
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
