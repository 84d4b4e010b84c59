#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kamt {

struct LinkSettingsRecord;

// What the command line asked for. Line options are kept as given; ApplyLineOptions turns
// them into the settings' choice codes.
struct CliOptions {
  std::optional<std::string> serialDevice;
  std::optional<std::string> tcpHost;                   // as typed
  std::optional<std::array<std::uint8_t, 4>> tcpAddress;  // as the connection dialog reads it
  std::optional<int> tcpPort;
  bool rtuOverTcp = false;          // --rtu-tcp: the address and port are a converter's
  std::optional<int> unitId;        // --unit N: the Modbus TCP unit identifier
  bool unitIsAddress = false;       // --unit address: a gateway, the unit id is the address
  std::optional<int> baud;
  std::optional<int> dataBitsCode;  // LinkSettings.Bits
  std::optional<int> parityCode;    // LinkSettings.Parity
  std::optional<int> stopBitsCode;  // LinkSettings.StopBits
  std::optional<int> address;
  std::optional<std::string> modemNumber;  // dialled through a modem on the serial line first
  std::optional<int> dialTimeoutS;
  bool trace = false;  // every frame on stderr as it passes
  bool json = false;   // the result as one JSON object on stdout
  bool help = false;
  std::vector<std::string> command;  // the command word and its arguments
};

struct CliParseResult {
  CliOptions options;
  std::string error;  // empty when the arguments were understood
};

CliParseResult ParseCliOptions(const std::vector<std::string>& args);

// Puts the line options that were given into the settings, leaving the others as they are.
void ApplyLineOptions(const CliOptions& options, LinkSettingsRecord& settings);

std::string CliHelp();

}  // namespace kamt
