#pragma once

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <cctype>
#include <csignal>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <vector>

#include "sim_meter.h"
#include "temp_dir.h"

namespace kamt::test {

// The longest any faulty run may take: the longest wait kamt has (five failed serial attempts
// of 11.2 s, or a 22.2 s read) with room to spare. A run still going then has hung.
inline constexpr int kHangLimitMs = 120'000;

struct ProgramResult {
  int exitCode = -1;
  std::string out;
  std::string err;
  long long elapsedMs = 0;
};

// kamt running in workDir under the C.UTF-8 locale and extraEnv ("NAME=VALUE"), while the test
// watches its stderr (progress and messages) or does something to the meter under it.
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
    timer_.start();
    process_.start();
    process_.waitForStarted(10000);
  }
  ~KamtRun() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(5000);
  }
  KamtRun(const KamtRun&) = delete;
  KamtRun& operator=(const KamtRun&) = delete;

  // Waits until stderr so far satisfies `seen`; false when kamt ended or limitMs passed first.
  bool WaitFor(const std::function<bool(const std::string&)>& seen, int limitMs = kHangLimitMs) {
    QElapsedTimer waited;
    waited.start();
    while (process_.state() == QProcess::Running && waited.elapsed() < limitMs) {
      err_ += process_.readAllStandardError().toStdString();
      if (seen(err_)) return true;
      process_.waitForReadyRead(1000);
    }
    return false;
  }
  // Waits until the archive read's progress on stderr has reached `records`.
  bool WaitForProgress(int records) {
    return WaitFor([records](const std::string& err) {
      static const std::regex progress("\r(\\d+)/\\d+");
      for (auto it = std::sregex_iterator(err.begin(), err.end(), progress); it != std::sregex_iterator(); ++it) {
        if (std::stoi((*it)[1]) >= records) return true;
      }
      return false;
    });
  }
  void Interrupt() { ::kill(static_cast<pid_t>(process_.processId()), SIGINT); }  // Ctrl+C

  // Waits for kamt to end; one still running after limitMs is killed and reported as hung.
  ProgramResult Finish(int limitMs = kHangLimitMs) {
    ProgramResult r;
    r.err = err_;
    if (!process_.waitForFinished(limitMs) && process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(5000);
      r.err += "kamt did not end within " + std::to_string(limitMs) + " ms\n";
    }
    r.elapsedMs = timer_.elapsed();
    r.exitCode = process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    r.out = process_.readAllStandardOutput().toStdString();
    r.err += process_.readAllStandardError().toStdString();
    return r;
  }

 private:
  QProcess process_;
  QElapsedTimer timer_;
  std::string err_;
};

// A simulated meter and a working directory for the programs run against it.
class E2eTest : public ::testing::Test {
 protected:
  void StartSim(const QStringList& options) {
    sim_ = std::make_unique<SimMeter>(options);
    ASSERT_TRUE(sim_->Ready()) << sim_->Failure();
  }
  SimMeter& Sim() { return *sim_; }

  QString WorkDir() const { return QString::fromStdString(dir.path.string()); }
  ProgramResult Kamt(const QStringList& args, const QStringList& env = {}) {
    return KamtRun(args, WorkDir(), env).Finish(60000);
  }
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

  TempDir dir;

 private:
  std::unique_ptr<SimMeter> sim_;
};

// A test name from a parameter's text: "split:400" -> "split_400".
inline std::string ParamName(std::string text) {
  for (char& c : text) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return text;
}

}  // namespace kamt::test
