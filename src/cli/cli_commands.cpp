#include "cli/cli_command.h"

namespace kamt {

const std::vector<CliCommand>& CliCommands() {
  static const std::vector<CliCommand> commands = {
      {"current", "current", "read the current data and print it, one value per line", 0, 0, nullptr,
       RunCurrentCommand},
      {"archive", "archive hourly|daily|monthly [N]", "read an archive into its file", 1, 2, nullptr,
       RunArchiveCommand},
      {"config", "config read|save|write NAME=VALUE...", "the measurement configuration", 1, 64, nullptr,
       RunConfigCommand},
      {"clock", "clock read|write TIME|write --now", "the meter clock", 1, 2, nullptr, RunClockCommand},
      {"comm", "comm read|write NAME=VALUE...", "the meter's communication parameters", 1, 64, nullptr,
       RunCommCommand},
  };
  return commands;
}

const CliCommand* FindCliCommand(std::string_view name) {
  for (const CliCommand& command : CliCommands()) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

}  // namespace kamt
