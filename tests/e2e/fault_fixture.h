#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <regex>
#include <string>

#include "archive_file_check.h"

namespace kamt::test {

// The longest any faulty run may take: the longest wait kamt has (five failed serial attempts
// of 11.2 s, or a 22.2 s read) with room to spare. A run still going then has hung.
inline constexpr int kHangLimitMs = 120'000;

// kamt running in the background while the test does something to the meter under it.
class KamtRun {
 public:
  KamtRun(const QStringList& args, const QString& workDir) {
    PrepareKamt(process_, args, workDir);
    process_.setReadChannel(QProcess::StandardError);  // where progress and messages go
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

  // Waits until the archive read's progress on stderr has reached `records`; false when kamt
  // ended or limitMs passed first.
  bool WaitForProgress(int records, int limitMs = kHangLimitMs) {
    static const std::regex progress("\r(\\d+)/\\d+");
    QElapsedTimer waited;
    waited.start();
    while (process_.state() == QProcess::Running && waited.elapsed() < limitMs) {
      err_ += process_.readAllStandardError().toStdString();
      for (auto it = std::sregex_iterator(err_.begin(), err_.end(), progress); it != std::sregex_iterator(); ++it) {
        if (std::stoi((*it)[1]) >= records) return true;
      }
      process_.waitForReadyRead(1000);
    }
    return false;
  }

  // Waits for kamt to end; one still running after limitMs is killed and reported as hung.
  ProgramResult Finish(int limitMs = kHangLimitMs) {
    ProgramResult r = FinishKamt(process_, timer_, limitMs);
    r.err = err_ + r.err;
    return r;
  }

 private:
  QProcess process_;
  QElapsedTimer timer_;
  std::string err_;
};

// A meter whose serial line keeps one path (a symbolic link in the test's folder) and whose
// TCP port stays the same, so that a meter started again after a crash is found where the
// last one was.
class FaultTest : public E2eTest {
 protected:
  void SetUp() override { WriteDelay(dir.path, 0); }

  // Starts the meter, again on the same line and port when it ran before.
  void StartMeter(const QStringList& options) {
    QStringList all = options;
    all << "--link" << LinkPath() << "--tcp" << QString::number(tcpPort_);
    StartSim(all);
    tcpPort_ = Sim().TcpPort();
  }

  QString LinkPath() const { return QString::fromStdString((dir.path / "meter").string()); }
  QStringList OverSerial(const QStringList& command) const { return QStringList{"--serial", LinkPath()} + command; }
  QStringList OverTcp(const QStringList& command) const {
    return QStringList{"--tcp", "127.0.0.1:" + QString::number(tcpPort_)} + command;
  }
  QStringList Over(bool serial, const QStringList& command) const {
    return serial ? OverSerial(command) : OverTcp(command);
  }
  QString WorkDir() const { return QString::fromStdString(dir.path.string()); }

  // After a fault the meter answers again: the next command must work as if nothing happened.
  void ExpectNextCommandWorks(bool serial) {
    const ProgramResult r = Kamt(Over(serial, {"current"}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Lines(r.out).at(7), "Зав. номер: 1234");
  }

  // The number in the first match of pattern's group 1 in text; -1 when it does not occur.
  static int Number(const std::string& text, const std::string& pattern) {
    std::smatch m;
    return std::regex_search(text, m, std::regex(pattern)) ? std::stoi(m[1]) : -1;
  }

 private:
  int tcpPort_ = 0;  // 0 until the first meter chose one
};

}  // namespace kamt::test
