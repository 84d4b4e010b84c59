#pragma once

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kamt {

class ConsoleWindow;
struct CliDevices;
struct Session;

// What a command of the command line works with: the session, already connected, the window
// that collects what the logic shows, and the streams.
struct CliContext {
  Session& session;
  ConsoleWindow& window;
  CliDevices& devices;
  const std::vector<std::string>& args;  // after the command word
  std::ostream& out;
  std::ostream& err;
  bool json = false;  // the result as one JSON object on out instead of lines
  std::optional<int> exitStatus;  // set by a command whose status says more than done or failed
};

struct CliCommand {
  std::string_view name;
  std::string_view synopsis;  // "archive hourly|daily|monthly [N]"
  std::string_view help;      // what it does, for --help
  std::size_t minArgs = 0;
  std::size_t maxArgs = 0;
  // Checks the arguments before anything is connected; an empty text when they are usable.
  std::string (*checkArgs)(const std::vector<std::string>& args) = nullptr;
  // Runs the command; true when it did what was asked.
  bool (*run)(CliContext& context) = nullptr;
  // True when, with these arguments, it needs no meter: nothing is connected for it.
  bool (*offline)(const std::vector<std::string>& args) = nullptr;
};

// Every command, in the order --help lists them.
const std::vector<CliCommand>& CliCommands();
const CliCommand* FindCliCommand(std::string_view name);

// The commands, one file each.
bool RunCurrentCommand(CliContext& context);
bool RunArchiveCommand(CliContext& context);
std::string CheckArchiveArgs(const std::vector<std::string>& args);
bool RunConfigCommand(CliContext& context);
std::string CheckConfigArgs(const std::vector<std::string>& args);
bool ConfigOffline(const std::vector<std::string>& args);
bool RunClockCommand(CliContext& context);
std::string CheckClockArgs(const std::vector<std::string>& args);
bool RunCommCommand(CliContext& context);
std::string CheckCommArgs(const std::vector<std::string>& args);
bool RunScanCommand(CliContext& context);
std::string CheckScanArgs(const std::vector<std::string>& args);

}  // namespace kamt
