#include <filesystem>

#include "cli/cli_command.h"
#include "cli/cli_json.h"
#include "cli/console_window.h"
#include "cli/form_fields.h"
#include "meter/config_backup_read.h"
#include "meter/config_report.h"
#include "meter/config_restore.h"
#include "meter/meter_config_commands.h"
#include "meter/session.h"

namespace kamt {
namespace {

constexpr int kExitSame = 0;
constexpr int kExitDifferent = 1;
constexpr int kExitTrouble = 2;

std::string CheckFileArgs(const std::vector<std::string>& args) {
  const std::string& action = args[0];
  const std::size_t files = args.size() - 1;
  if (action == "backup" && files != 1) return "config backup takes one FILE";
  if (action == "diff" && (files < 1 || files > 2)) return "config diff takes FILE, or two FILEs";
  if (action == "restore") {
    const bool withComm = args.size() == 3 && args[2] == "--with-comm";
    if (args.size() != 2 && !withComm) return "config restore takes FILE and, to write them too, --with-comm";
  }
  return {};
}

std::optional<ConfigBackup> Load(CliContext& c, const std::string& path) {
  std::string error;
  auto backup = LoadBackupFile(path, error);
  if (!backup) c.err << "kamt: " << path << ": " << error << '\n';
  return backup;
}

bool Backup(CliContext& c) {
  const std::string& path = c.args.at(1);
  const auto backup = ReadBackup(c.session);
  if (!backup) return false;
  std::string error;
  if (!SaveBackupFile(path, *backup, error)) {
    c.err << "kamt: " << path << ": " << error << '\n';
    return false;
  }
  c.out << "Конфигурация сохранена в файл: " << path << '\n';
  return true;
}

// Nothing reaches the meter from a file that fails a check.
bool Restore(CliContext& c) {
  const std::string& path = c.args.at(1);
  const auto backup = Load(c, path);
  if (!backup) return false;
  c.window.SetStatusText(1, "");
  const RestoreResult result = RestoreBackup(c.session, *backup, c.args.size() == 3);
  if (result.outcome == RestoreOutcome::Refused) {
    c.err << "kamt: " << path << ": " << result.error << "; nothing was written\n";
    return false;
  }
  if (result.outcome != RestoreOutcome::Written) return false;
  c.out << c.window.StatusText(1) << '\n';
  return true;
}

// As diff(1): 0 when nothing differs, 1 when something does, 2 when it could not compare.
bool Diff(CliContext& c) {
  c.exitStatus = kExitTrouble;
  const auto left = Load(c, c.args.at(1));
  if (!left) return false;
  std::optional<ConfigBackup> right;
  std::string rightTitle = "Прибор";
  if (c.args.size() == 3) {
    right = Load(c, c.args[2]);
    rightTitle = c.args[2];
  } else {
    right = ReadBackup(c.session, !left->comm.empty());
  }
  if (!right) return false;
  const auto differences = CompareBackups(*left, *right);
  if (differences.empty()) {
    c.out << "Различий нет\n";
  } else {
    c.out << DifferenceTable(differences, c.args[1], rightTitle);
  }
  c.exitStatus = differences.empty() ? kExitSame : kExitDifferent;
  return true;
}

}  // namespace

std::string CheckConfigArgs(const std::vector<std::string>& args) {
  const std::string& action = args.at(0);
  if (action == "read" || action == "save") {
    return args.size() == 1 ? std::string() : "config " + action + " takes nothing more";
  }
  if (action == "write") return CheckAssignments(ConfigFields(), std::span(args).subspan(1));
  if (action == "backup" || action == "restore" || action == "diff") return CheckFileArgs(args);
  return "config takes read, save or write, or backup, restore or diff with a FILE";
}

bool ConfigOffline(const std::vector<std::string>& args) { return args.size() == 3 && args[0] == "diff"; }

bool RunConfigCommand(CliContext& c) {
  FillComboLists(c.window);
  const std::string& action = c.args.at(0);
  if (action == "write") return ReadChangeWrite(c, ConfigFields(), ReadConf_ButtonClick, WriteConf_ButtonClick);
  if (action == "backup") return Backup(c);
  if (action == "restore") return Restore(c);
  if (action == "diff") return Diff(c);
  if (!ReadConf_ButtonClick(c.session)) return false;
  if (action == "read") {
    if (c.json) {
      c.out << FieldsJson(ConfigFields(), c.window, c.session.decimalSeparator);
    } else {
      PrintFields(ConfigFields(), c.window, c.out);
    }
    return true;
  }
  std::string reason;
  if (RunAndReport(c, [&reason](Session& s) { return SaveConfigReport(s, &reason); })) return true;
  if (!reason.empty()) c.err << "kamt: " << ConfigReportName(c.session.MeterConfig) << ": " << reason << '\n';
  return false;
}

}  // namespace kamt
