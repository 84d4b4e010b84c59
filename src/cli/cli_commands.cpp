#include "cli/cli_command.h"

namespace kamt {

const std::vector<CliCommand>& CliCommands() {
  static const std::vector<CliCommand> commands = {
      {"current", "current", "read the current data and print it, one value per line", 0, 0, nullptr,
       RunCurrentCommand},
      {"archive", "archive hourly|daily|monthly [N]",
       "read the last N intervals (all by default) into KAMTarchH|D|M<serial>.txt; Ctrl+C saves what was read",
       1, 2, CheckArchiveArgs, RunArchiveCommand},
      {"config", "config read|save|write NAME=VALUE...",
       "print the measurement configuration, save it to KAMT_Conf<serial>.txt, or change fields", 1, 64,
       CheckConfigArgs, RunConfigCommand},
      {"clock", "clock read|write TIME|write --now", "print the meter clock, or set it", 1, 3, CheckClockArgs,
       RunClockCommand},
      {"comm", "comm read|write NAME=VALUE...", "print the meter's communication parameters, or change fields", 1,
       64, CheckCommArgs, RunCommCommand},
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
