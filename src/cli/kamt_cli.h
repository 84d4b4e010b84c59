#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace kamt {

class ClientSocket;
class Clock;
class FleetPlatform;
class SerialPort;

// What the command line needs from the platform.
struct CliDevices {
  SerialPort& port;
  ClientSocket& socket;
  Clock& clock;
  std::string decimalSeparator;
  std::filesystem::path settingsPath;  // Vedan_modbus.ini of the current directory
  FleetPlatform* fleet = nullptr;       // the database and threads of collect and export
};

enum CliExit { kExitOk = 0, kExitFailed = 1, kExitUsage = 2, kExitDatabase = 3, kExitUnreachable = 4 };

// Runs `kamt` with its arguments (without the program name): results on out, message boxes,
// progress and errors on err. Returns the exit status.
int RunKamt(const std::vector<std::string>& args, CliDevices& devices, std::ostream& out, std::ostream& err);

// `kamt collect` and `kamt export`: the fleet's commands, which take no meter connection.
int RunCollect(const std::vector<std::string>& args, CliDevices& devices, std::ostream& out, std::ostream& err);
int RunExport(const std::vector<std::string>& args, CliDevices& devices, std::ostream& out, std::ostream& err);
// `kamt statement`: a meter's monthly statement from the database, as CSV or PDF.
int RunStatement(const std::vector<std::string>& args, CliDevices& devices, std::ostream& out, std::ostream& err);

// Called from the SIGTERM and SIGINT handlers, so it only sets a flag: a collection under way
// stops between two requests, keeping what it read. False when no collection runs.
bool RequestCollectStop() noexcept;

}  // namespace kamt
