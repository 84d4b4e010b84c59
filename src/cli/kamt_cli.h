#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace kamt {

class ClientSocket;
class Clock;
class SerialPort;

// What the command line needs from the platform.
struct CliDevices {
  SerialPort& port;
  ClientSocket& socket;
  Clock& clock;
  std::string decimalSeparator;
  std::filesystem::path settingsPath;  // Vedan_modbus.ini of the current directory
};

enum CliExit { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// Runs `kamt` with its arguments (without the program name): results on out, message boxes,
// progress and errors on err. Returns the exit status.
int RunKamt(const std::vector<std::string>& args, CliDevices& devices, std::ostream& out, std::ostream& err);

}  // namespace kamt
