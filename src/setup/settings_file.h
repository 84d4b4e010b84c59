#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "link/link_settings.h"

namespace kamt {

// "Vedan_modbus.ini" in the process's current working directory.
std::filesystem::path DefaultSettingsPath();

// The file this program writes holds 14 short lines, some 200 bytes; with whatever else a user
// keeps in it, 64 KiB is far beyond any real one. Reading and parsing that much costs well
// under a millisecond and a few megabytes at worst (a file of nothing but line ends), so a
// stray huge file can neither stall nor exhaust a run.
inline constexpr std::size_t kSettingsFileLimit = 64 * 1024;

// The pause before each serial archive request, in ms: what the connection dialog's delay
// field of 4 characters can hold. A negative pause is no pause.
inline constexpr int kMinDelayMs = -999;
inline constexpr int kMaxDelayMs = 9999;

struct SettingsLoad {
  // The file is larger than kSettingsFileLimit: it was not read, and must not be written over.
  bool refused = false;
  // One line for each value outside its range, taken as not set, and for a refused file.
  std::vector<std::string> warnings;
};

// Fills every persisted field of the settings from the file; a missing file, a missing key or
// a value that is not a number gives that field's default. A number outside its field's range
// (NetAddr 1..255, the TCP port 1..65535, Baudrate above 0, Delay -999..9999) is taken as not
// set, with a warning: address 0 is the broadcast, which no meter answers, and a port or
// delay beyond its range would be cut on its way into the dialog. The choice codes keep their
// own rule (a code outside a list means its default meaning). PortName and IpBytes are not
// persisted and stay as they are.
SettingsLoad LoadSettings(LinkSettingsRecord& settings, const std::filesystem::path& SettingsPath);

// Writes every persisted field, keeping whatever else the file holds, and replaces the file in
// one step. Returns false with message "Unable to write to <path>" when it cannot, and also,
// with tooLarge set and the file left as it is, when the file is larger than the limit.
bool SaveSettings(const LinkSettingsRecord& settings, const std::filesystem::path& SettingsPath,
                  std::string& message, bool* tooLarge = nullptr);

// An integer as the settings file holds it: decimal, or hexadecimal after 0x; fallback when
// the text is not one.
int ReadSettingsInteger(std::string_view text, int fallback);

}  // namespace kamt
