#pragma once

#include <filesystem>
#include <string>

#include "text/text_file.h"

namespace kamt {

class TrafficLog;

// Saves the lines the log keeps, oldest first: time, direction, bytes and summary parted by
// tabs, Windows-1251, CR LF. The file appears whole or not at all; on failure `error` says why.
bool SaveTrafficLog(const TrafficLog& log, const std::filesystem::path& path, std::string* error = nullptr,
                    WriteFailure* failure = nullptr);

}  // namespace kamt
