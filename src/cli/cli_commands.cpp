#include "cli/cli_command.h"

namespace kamt {

const std::vector<CliCommand>& CliCommands() {
  static const std::vector<CliCommand> commands = {
      {"current", "current", "read the current data and print it, one value per line", 0, 0, nullptr,
       RunCurrentCommand},
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
