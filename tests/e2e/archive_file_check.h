#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "e2e_fixture.h"
#include "platform/cp1251.h"
#include "platform/text_file.h"

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
  f.crlfOnly = text.ends_with("\r\n");
  std::size_t at = 0;
  for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
    f.lines.push_back(text.substr(at, end - at));
    if (f.lines.back().find_first_of("\r\n") != std::string::npos) f.crlfOnly = false;
  }
  if (at != text.size()) f.crlfOnly = false;
  return f;
}

inline std::vector<std::string> Fields(const std::string& row) {
  std::vector<std::string> fields;
  std::size_t at = 0;
  for (std::size_t tab; (tab = row.find('\t', at)) != std::string::npos; at = tab + 1) fields.push_back(row.substr(at, tab - at));
  fields.push_back(row.substr(at));
  return fields;
}

// An hourly row's time column, "23-00ч 01.06.2021": the hour it starts at and the hour after.
inline bool HourlyTimeFollows(const std::string& time, int* startHour) {
  static const std::regex pattern("(\\d\\d)-(\\d\\d)ч \\d\\d\\.\\d\\d\\.20\\d\\d");
  std::smatch m;
  if (!std::regex_match(time, m, pattern)) return false;
  const int from = std::stoi(m[1]);
  const int to = std::stoi(m[2]);
  *startHour = from;
  return to == (from + 1) % 24;
}

// kamt started, watched while it reads, and sent a Ctrl+C once `records` have come.
struct InterruptedRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline InterruptedRun RunKamtAndInterrupt(const QStringList& args, const QString& workDir, int records) {
  QProcess kamt;
  PrepareKamt(kamt, args, workDir);
  kamt.setReadChannel(QProcess::StandardError);  // where the progress goes
  kamt.start();
  InterruptedRun run;
  if (!kamt.waitForStarted(10000)) return run;
  static const std::regex progress("\r(\\d+)/(\\d+)");
  bool sent = false;
  while (!sent && kamt.state() == QProcess::Running && kamt.waitForReadyRead(30000)) {
    run.err += kamt.readAllStandardError().toStdString();
    for (auto it = std::sregex_iterator(run.err.begin(), run.err.end(), progress); it != std::sregex_iterator(); ++it) {
      if (std::stoi((*it)[1]) >= records) sent = true;
    }
    if (sent) ::kill(static_cast<pid_t>(kamt.processId()), SIGINT);
  }
  if (!kamt.waitForFinished(60000)) kamt.kill();
  run.exitCode = kamt.exitStatus() == QProcess::NormalExit ? kamt.exitCode() : -1;
  run.out = kamt.readAllStandardOutput().toStdString();
  run.err += kamt.readAllStandardError().toStdString();
  return run;
}

// Serial reads pause before each request as the settings file says (100 ms when it says
// nothing); the tests set their own pause.
inline void WriteDelay(const std::filesystem::path& dir, int delayMs) {
  std::ofstream ini(dir / "Vedan_modbus.ini", std::ios::binary);
  ini << "[Serial]\r\nDelay=" << delayMs << "\r\n";
}

}  // namespace kamt::test
