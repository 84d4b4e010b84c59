#include "cli/cli_command.h"
#include "cli/cli_json.h"
#include "cli/console_window.h"
#include "cli/form_fields.h"
#include "meter/comm_params_commands.h"
#include "meter/session.h"

namespace kamt {

std::string CheckCommArgs(const std::vector<std::string>& args) {
  const std::string& action = args.at(0);
  if (action == "read") return args.size() == 1 ? std::string() : "comm read takes nothing more";
  if (action == "write") return CheckAssignments(CommFields(), std::span(args).subspan(1));
  return "comm takes read or write";
}

bool RunCommCommand(CliContext& c) {
  FillComboLists(c.window);
  if (c.args.at(0) == "write") return ReadChangeWrite(c, CommFields(), Button5Click, Button6Click);
  if (!Button5Click(c.session)) return false;
  if (c.json) {
    c.out << FieldsJson(CommFields(), c.window, c.session.decimalSeparator);
    return true;
  }
  PrintFields(CommFields(), c.window, c.out);
  return true;
}

}  // namespace kamt
