#pragma once

#include <filesystem>
#include <string>

#include "link/link_settings.h"

namespace kamt {

// "Vedan_modbus.ini" in the process's current working directory.
std::filesystem::path DefaultSettingsPath();

// Fills every persisted field of the settings from the file; a missing file, a missing key or
// a value that is not a number gives that field's default. PortName and IpBytes are not
// persisted and stay as they are.
void LoadSettings(LinkSettingsRecord& settings, const std::filesystem::path& SettingsPath);

// Writes every persisted field, keeping whatever else the file holds, and replaces the file in
// one step. Returns false with message "Unable to write to <path>" when it cannot.
bool SaveSettings(const LinkSettingsRecord& settings, const std::filesystem::path& SettingsPath,
                  std::string& message);

// An integer as the settings file holds it: decimal, or hexadecimal after 0x; fallback when
// the text is not one.
int ReadSettingsInteger(std::string_view text, int fallback);

}  // namespace kamt
