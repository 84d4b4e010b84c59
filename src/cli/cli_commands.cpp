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
       CheckConfigArgs, RunConfigCommand, ConfigOffline},
      {"config", "config backup FILE",
       "save the configuration and the communication parameters to FILE (UTF-8 text, name = value)", 1, 64,
       CheckConfigArgs, RunConfigCommand, ConfigOffline},
      {"config", "config restore FILE [--with-comm]",
       "write FILE's configuration to the meter after the window's checks; --with-comm: its communication "
       "parameters too, which may cut the link", 1, 64, CheckConfigArgs, RunConfigCommand, ConfigOffline},
      {"config", "config diff FILE [FILE]",
       "the fields that differ between FILE and the meter, or two files; exit 0 same, 1 different, 2 trouble", 1,
       64, CheckConfigArgs, RunConfigCommand, ConfigOffline},
      {"clock", "clock read|write TIME|write --now", "print the meter clock, or set it", 1, 3, CheckClockArgs,
       RunClockCommand},
      {"comm", "comm read|write NAME=VALUE...", "print the meter's communication parameters, or change fields", 1,
       64, CheckCommArgs, RunCommCommand},
      {"scan", "scan [--addresses A-B] [--bauds LIST] [--parities LIST] [--window MS]",
       "find meters on --serial or behind --rtu-tcp: addresses 1-247, the dialog's six bit rates, parities "
       "none,even,odd, 9600 8N1 first; --window: ms for an answer to start (100); Ctrl+C stops it",
       0, 8, CheckScanArgs, RunScanCommand},
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
