#include "cli/cli_command.h"

namespace kamt {

// Being built: says so rather than doing nothing.
bool RunCommCommand(CliContext& c) {
  c.err << "kamt: comm is not available yet\n";
  return false;
}

}  // namespace kamt
