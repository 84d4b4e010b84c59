#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "e2e_fixture.h"
#include "text/cp1251.h"
#include "text/text_file.h"

namespace kamt::test {

// An archive file as kamt wrote it: its raw bytes, and its lines decoded from Windows-1251.
struct ArchiveFile {
  bool exists = false;
  std::string bytes;
  std::vector<std::string> lines;  // without their CR LF
  bool crlfOnly = true;            // every line ends in CR LF, and no bare LF or CR is anywhere

  std::vector<std::string> Rows() const {
    return lines.size() > 3 ? std::vector<std::string>(lines.begin() + 3, lines.end()) : std::vector<std::string>{};
  }
};

inline ArchiveFile ReadArchiveFile(const std::filesystem::path& path) {
  ArchiveFile f;
  const auto bytes = ReadFileBytes(path);
  if (!bytes) return f;
  f.exists = true;
  f.bytes = *bytes;
  const std::string text = Cp1251ToUtf8(*bytes);
  std::size_t at = 0;
  for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
    f.lines.push_back(text.substr(at, end - at));
  }
  f.crlfOnly = at == text.size() && !text.empty() &&
               std::ranges::none_of(f.lines, [](const std::string& l) { return l.find_first_of("\r\n") != l.npos; });
  return f;
}

inline std::vector<std::string> Fields(const std::string& row) {
  std::vector<std::string> fields;
  std::size_t at = 0;
  for (std::size_t tab; (tab = row.find('\t', at)) != std::string::npos; at = tab + 1) fields.push_back(row.substr(at, tab - at));
  fields.push_back(row.substr(at));
  return fields;
}

// The hour an hourly row's interval starts at ("23-00ч 01.06.2021": 23); -1 when its time
// column is no interval of one hour.
inline int StartHour(const std::string& row) {
  static const std::regex pattern("(\\d\\d)-(\\d\\d)ч \\d\\d\\.\\d\\d\\.20\\d\\d");
  std::smatch m;
  const std::string time = Fields(row).at(0);
  if (!std::regex_match(time, m, pattern)) return -1;
  const int from = std::stoi(m[1]);
  return std::stoi(m[2]) == (from + 1) % 24 ? from : -1;
}

// Hourly rows are one-hour intervals each following the one before: none bridges a gap.
inline void ExpectHourByHour(const std::vector<std::string>& rows) {
  int previous = -1;
  for (const std::string& row : rows) {
    const int hour = StartHour(row);
    ASSERT_GE(hour, 0) << row;
    if (previous >= 0) {
      ASSERT_EQ(hour, (previous + 1) % 24) << row;
    }
    previous = hour;
  }
}

// Serial reads pause before each request as the settings file says (100 ms when it says
// nothing); the tests set their own pause.
inline void WriteDelay(const std::filesystem::path& dir, int delayMs) {
  std::ofstream ini(dir / "Vedan_modbus.ini", std::ios::binary);
  ini << "[Serial]\r\nDelay=" << delayMs << "\r\n";
}

}  // namespace kamt::test
