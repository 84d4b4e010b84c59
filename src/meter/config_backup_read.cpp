#include "meter/config_backup_read.h"

#include <cstdio>

#include "meter/comm_params_commands.h"
#include "meter/meter_config_commands.h"
#include "meter/session.h"
#include "text/text_file.h"

namespace kamt {
namespace {

std::string Stamp(const LocalDateTime& t) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hours, t.minutes, t.seconds);
  return text;
}

}  // namespace

std::optional<ConfigBackup> ReadBackup(Session& s, bool withComm) {
  if (!ReadConf_ButtonClick(s) || (withComm && !Button5Click(s))) return std::nullopt;
  ConfigBackup backup = CaptureBackup(s.window(), withComm, s.decimalSeparator);
  backup.serialNumber = std::to_string(s.MeterConfig.SerialNumber);
  backup.saved = Stamp(s.computerTime());
  return backup;
}

bool SaveBackupFile(const std::filesystem::path& path, const ConfigBackup& backup, std::string& error) {
  return WriteFileAtomically(path, FormatBackup(backup), &error);
}

std::optional<ConfigBackup> LoadBackupFile(const std::filesystem::path& path, std::string& error) {
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) {
    error = "не удалось прочитать файл";
    return std::nullopt;
  }
  return ParseBackup(*bytes, error);
}

}  // namespace kamt
