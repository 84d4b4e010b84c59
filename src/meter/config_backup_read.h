#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "meter/config_backup.h"

namespace kamt {

struct Session;

// Reads the configuration and (withComm) the communication parameters from the meter as their
// "Считать" buttons do (the window shows them) and takes them as a backup, stamped with the
// meter's serial number and the computer's time. Nothing when a read failed; its messages are
// shown.
std::optional<ConfigBackup> ReadBackup(Session& session, bool withComm = true);

// Writes the file beside its final name and renames it when whole; false with the reason.
bool SaveBackupFile(const std::filesystem::path& path, const ConfigBackup& backup, std::string& error);

// Reads and checks a file; false with the reason ("Строка N: ...", or why it cannot be read).
std::optional<ConfigBackup> LoadBackupFile(const std::filesystem::path& path, std::string& error);

}  // namespace kamt
