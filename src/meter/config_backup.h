#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kamt {

class Window;
struct FormField;

// One field of a configuration file: its value as written (numbers with a point, list fields
// as their item's text) and the line it stands on (0 when it came from the meter).
struct BackupValue {
  std::string text;
  int line = 0;
};

// A meter's measurement configuration and, when kept with it, its communication parameters,
// each field by its name (the names of kamt config write and comm write).
struct ConfigBackup {
  std::string serialNumber;  // of the meter it was saved from
  std::string saved;         // when, "YYYY-MM-DD HH:MM:SS" of the computer's clock
  std::map<std::string, BackupValue, std::less<>> config;
  std::map<std::string, BackupValue, std::less<>> comm;  // empty when not kept
};

// The groups' fields as the window holds them after a read ("Конфигурация", and "Параметры
// коммуникации" when withComm); numbers shown with the locale's separator are kept with a point.
ConfigBackup CaptureBackup(const Window& window, bool withComm, std::string_view decimalSeparator);

// The file: UTF-8, LF line ends, a header section with the serial number and the time, then a
// section per group with one "name = value" line per field, its caption as a comment above.
std::string FormatBackup(const ConfigBackup& backup);

// Reads a file written by FormatBackup or edited by hand. Nothing when it cannot be used, with
// the reason in error, starting "Строка N: " when one line is at fault. Every field of the
// configuration must be there; the communication parameters all or none.
std::optional<ConfigBackup> ParseBackup(std::string_view text, std::string& error);

// A field's value as the window is to show it: a number with the locale's separator.
std::string WindowText(const FormField& field, const BackupValue& value, std::string_view decimalSeparator);

// The fields whose values differ between two backups: the configuration, and the
// communication parameters when both keep them. Values are compared as the meter keeps them,
// so "2.50" and "2.5" are the same.
struct BackupDifference {
  std::string_view name;
  std::string_view caption;
  std::string left;
  std::string right;
};
std::vector<BackupDifference> CompareBackups(const ConfigBackup& left, const ConfigBackup& right);

// The differences as a table with the two column titles: the caption, then each side's value.
std::string DifferenceTable(const std::vector<BackupDifference>& differences, std::string_view leftTitle,
                            std::string_view rightTitle);

}  // namespace kamt
