#pragma once

#include "archive_file_check.h"

namespace kamt::test {

// A meter whose serial line keeps one path (a symbolic link in the test's folder) and whose
// TCP port stays the same, so that a meter started again after a crash is found where the
// last one was.
class FaultTest : public E2eTest {
 protected:
  void SetUp() override { WriteDelay(dir.path, 0); }

  void StartMeter(const QStringList& options) {
    StartSim(options + QStringList{"--link", LinkPath(), "--tcp", QString::number(tcpPort_)});
    tcpPort_ = Sim().TcpPort();
  }

  QString LinkPath() const { return QString::fromStdString((dir.path / "meter").string()); }
  QStringList Over(bool serial, const QStringList& command) const {
    return (serial ? QStringList{"--serial", LinkPath()}
                   : QStringList{"--tcp", "127.0.0.1:" + QString::number(tcpPort_)}) +
           command;
  }

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
