#include "cli/cli_command.h"

namespace kamt {

// Being built: says so rather than doing nothing.
bool RunArchiveCommand(CliContext& c) {
  c.err << "kamt: archive is not available yet\n";
  return false;
}

}  // namespace kamt
