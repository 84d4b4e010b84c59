#include "cli/cli_command.h"

namespace kamt {

// Being built: says so rather than doing nothing.
bool RunConfigCommand(CliContext& c) {
  c.err << "kamt: config is not available yet\n";
  return false;
}

}  // namespace kamt
