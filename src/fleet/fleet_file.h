#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "meter/archive_record.h"

namespace kamt {

enum class LineKind { Tcp, RtuTcp, Serial };

// One meter of the fleet file: its name, how it is reached and what is read of it.
struct FleetMeter {
  int lineNumber = 0;
  std::string name;
  LineKind kind = LineKind::Tcp;
  std::string host;           // Tcp, RtuTcp
  int port = 502;
  int unit = 0xFF;            // Modbus TCP unit identifier
  int address = 1;            // RtuTcp, Serial: the meter's Modbus address
  std::string device;         // Serial: the device the line (or modem) is on
  int baud = 9600;
  int bitsCode = 3;           // LinkSettings choice codes: 8 data bits,
  int parityCode = 2;         // no parity,
  int stopBitsCode = 0;       // one stop bit
  int delayMs = 100;          // RtuTcp, Serial: the pause before each archive request
  std::string modemNumber;    // Serial: dialled through a modem on the device first
  std::array<bool, 3> archives{true, true, true};  // hourly, daily, monthly
  std::optional<int> depth;   // records the first poll reads of each archive; all when none
  std::string site;

  bool Reads(ArchiveKind archive) const { return archives[static_cast<std::size_t>(archive)]; }
  // The line the meter shares with others, one request at a time: a serial device (with its
  // modem), an RTU-over-TCP converter or a Modbus TCP host and port.
  std::string LineKey() const;
  // The connection as the fleet file gives it, for the database and the messages.
  std::string Connection() const;

 private:
  std::string Delay() const;
};

struct FleetFile {
  std::vector<FleetMeter> meters;
  std::vector<std::string> errors;  // "FILE:LINE: reason", one per line refused
};

// Reads a fleet file's text: one meter a line, "#" starts a comment. Cells are split by ';'
// or TAB when the line has them (a spreadsheet's export), else by blanks; the first cell is
// the name, the others KEY=VALUE. A line that cannot be read is refused with its number and
// why, and the others are still read.
FleetFile ParseFleetText(std::string_view text, std::string_view fileName);

// The fleet line of a meter as the database keeps it (its name and Connection()): one meter,
// or the reason it cannot be read.
FleetFile ParseStoredConnection(const std::string& name, const std::string& connection);

}  // namespace kamt
