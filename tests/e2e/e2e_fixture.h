#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <csignal>
#include <functional>
#include <sstream>
#include <vector>

#include "sim_meter.h"
#include "temp_dir.h"
#include "text/cp1251.h"
#include "text/text_file.h"
#include "text/text_lines.h"

namespace kamt::test {

struct ProgramResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// kamt running in workDir under the C.UTF-8 locale and extraEnv ("NAME=VALUE"), while the test
// watches its stderr (progress and messages) or does something to the meter under it. Nothing
// here waits against the clock: a run that hangs is ended by ctest's time-out.
class KamtRun {
 public:
  KamtRun(const QStringList& args, const QString& workDir, const QStringList& extraEnv = {}) {
    process_.setProgram(QStringLiteral(KAMT_BIN));
    process_.setArguments(args);
    process_.setWorkingDirectory(workDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C.UTF-8");
    for (const QString& pair : extraEnv) env.insert(pair.section('=', 0, 0), pair.section('=', 1));
    process_.setProcessEnvironment(env);
    process_.setReadChannel(QProcess::StandardError);
    process_.start();
    process_.waitForStarted(-1);
  }
  ~KamtRun() {
    process_.kill();
    process_.waitForFinished(-1);
  }
  KamtRun(const KamtRun&) = delete;
  KamtRun& operator=(const KamtRun&) = delete;

  // Waits until stderr so far satisfies `seen`; false when kamt ended first.
  bool WaitFor(const std::function<bool(const std::string&)>& seen) {
    for (;;) {
      err_ += process_.readAllStandardError().toStdString();
      if (seen(err_)) return true;
      if (process_.state() != QProcess::Running) return false;
      process_.waitForReadyRead(1000);
    }
  }
  // Waits until the archive read's progress on stderr ("\r3/720") has reached `records`.
  bool WaitForProgress(int records) {
    return WaitFor([records](const std::string& err) {
      const auto at = err.rfind('\r');
      return at != std::string::npos && std::atoi(err.c_str() + at + 1) >= records;
    });
  }
  void Interrupt() { ::kill(static_cast<pid_t>(process_.processId()), SIGINT); }  // Ctrl+C

  ProgramResult Finish() {
    process_.waitForFinished(-1);
    return {process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1,
            process_.readAllStandardOutput().toStdString(), err_ + process_.readAllStandardError().toStdString()};
  }

 private:
  QProcess process_;
  std::string err_;
};

// A simulated meter and a working directory for the programs run against it. Serial reads
// pause before each request as the settings file says: the tests set no pause.
class E2eTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteTextFile(dir.path / "Vedan_modbus.ini", "[Serial]\r\nDelay=0\r\n"); }
  void StartSim(const QStringList& options) {
    sim_ = std::make_unique<SimMeter>(options);
    ASSERT_TRUE(sim_->Ready()) << sim_->Failure();
  }
  SimMeter& Sim() { return *sim_; }

  QString WorkDir() const { return QString::fromStdString(dir.path.string()); }
  ProgramResult Kamt(const QStringList& args, const QStringList& env = {}) { return KamtRun(args, WorkDir(), env).Finish(); }
  QStringList Serial(const QStringList& command) const {
    return QStringList{"--serial", QString::fromStdString(sim_->SerialPath())} + command;
  }
  QStringList Tcp(const QStringList& command) const {
    return QStringList{"--tcp", QString::fromStdString(sim_->TcpAddress())} + command;
  }

  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  static bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
  // The rows of an archive file, decoded from Windows-1251; every line ends in CR LF, and
  // hourly rows are one-hour intervals each following the one before: none bridges a gap.
  std::vector<std::string> HourlyRows(const std::string& name) const {
    const std::string text = Cp1251ToUtf8(ReadFileBytes(dir.path / name).value_or(""));
    std::ptrdiff_t crlf = 0;
    for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++crlf;
    EXPECT_TRUE(text.ends_with("\r\n") && std::ranges::count(text, '\n') == crlf && std::ranges::count(text, '\r') == crlf);
    std::vector<std::string> rows = SplitLines(text);
    rows.erase(rows.begin(), rows.begin() + std::min<std::ptrdiff_t>(3, static_cast<std::ptrdiff_t>(rows.size())));
    const auto two = [](int hour) { return std::string(hour % 24 < 10 ? "0" : "") + std::to_string(hour % 24); };
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const int hour = std::stoi(rows[0]) + static_cast<int>(i);
      EXPECT_TRUE(rows[i].starts_with(two(hour) + "-" + two(hour + 1) + "ч")) << rows[i];
    }
    return rows;
  }

  TempDir dir;

 private:
  std::unique_ptr<SimMeter> sim_;
};

}  // namespace kamt::test
