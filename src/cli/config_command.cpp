#include "cli/cli_command.h"
#include "cli/console_window.h"
#include "cli/form_fields.h"
#include "meter/config_report.h"
#include "meter/meter_config_commands.h"
#include "meter/session.h"

namespace kamt {

std::string CheckConfigArgs(const std::vector<std::string>& args) {
  const std::string& action = args.at(0);
  if (action == "read" || action == "save") {
    return args.size() == 1 ? std::string() : "config " + action + " takes nothing more";
  }
  if (action == "write") return CheckAssignments(ConfigFields(), std::span(args).subspan(1));
  return "config takes read, save or write";
}

bool RunConfigCommand(CliContext& c) {
  FillComboLists(c.window);
  const std::string& action = c.args.at(0);
  if (action == "write") return ReadChangeWrite(c, ConfigFields(), ReadConf_ButtonClick, WriteConf_ButtonClick);
  if (!ReadConf_ButtonClick(c.session)) return false;
  if (action == "read") {
    PrintFields(ConfigFields(), c.window, c.out);
    return true;
  }
  std::string reason;
  if (RunAndReport(c, [&reason](Session& s) { return SaveConfigReport(s, &reason); })) return true;
  if (!reason.empty()) c.err << "kamt: " << ConfigReportName(c.session.MeterConfig) << ": " << reason << '\n';
  return false;
}

}  // namespace kamt
