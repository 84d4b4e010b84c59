#include "cli/cli_command.h"

namespace kamt {

// Being built: says so rather than doing nothing.
bool RunClockCommand(CliContext& c) {
  c.err << "kamt: clock is not available yet\n";
  return false;
}

}  // namespace kamt
