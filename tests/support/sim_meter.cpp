#include "sim_meter.h"

namespace kamt::test {

// No time limit: a meter that never gets ready is ended by ctest's time-out.
SimMeter::SimMeter(const QStringList& options) {
  process_.setProgram(QStringLiteral(KAMT_SIM_BIN));
  process_.setArguments(options);
  process_.start();
  while (!ready_ && process_.waitForReadyRead(-1)) {
    while (process_.canReadLine()) {
      const QString line = QString::fromUtf8(process_.readLine()).trimmed();
      if (line.startsWith("serial ")) serialPath_ = line.mid(7).toStdString();
      if (line.startsWith("tcp ")) tcpPort_ = line.section(':', -1).toInt();
      if (line.startsWith("rtu-tcp ")) rtuTcpPort_ = line.section(':', -1).toInt();
      ready_ = ready_ || line == "ready";
      // "meter I serial S [tcp 127.0.0.1:PORT] [address A]"
      const QStringList words = line.split(' ');
      if (words.size() >= 4 && words[0] == "meter") {
        const int tcp = static_cast<int>(words.indexOf("tcp"));
        fleet_.push_back({words[1].toInt(), words[3].toInt(), tcp > 0 ? words.value(tcp + 1).section(':', -1).toInt() : 0});
      }
    }
  }
  if (!ready_) failure_ = "kamt-sim did not get ready: " + process_.readAllStandardError().toStdString();
}

SimMeter::~SimMeter() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(5000)) {
    process_.kill();
    process_.waitForFinished(5000);
  }
}

std::string SimMeter::TcpAddress() const { return "127.0.0.1:" + std::to_string(tcpPort_); }

std::string SimMeter::RtuTcpAddress() const { return "127.0.0.1:" + std::to_string(rtuTcpPort_); }

void SimMeter::Kill() {
  process_.kill();
  process_.waitForFinished(5000);
}

bool SimMeter::Advance(long long seconds) {
  process_.setReadChannel(QProcess::StandardOutput);
  process_.write(("advance " + std::to_string(seconds) + "\n").c_str());
  // No time limit, as for the start: a simulator that never answers is ended by ctest's.
  for (;;) {
    while (process_.canReadLine()) {
      if (QString::fromUtf8(process_.readLine()).trimmed() == "ok") return true;
    }
    if (!process_.waitForReadyRead(-1)) return false;
  }
}

std::string SimMeter::Log() {
  std::string log = std::move(log_) + process_.readAllStandardError().toStdString();
  log_.clear();
  return log;
}

bool SimMeter::Logged(const std::string& text) {
  // Takes in what the meter has written so far; nothing here waits for more.
  process_.waitForReadyRead(0);
  log_ += process_.readAllStandardError().toStdString();
  return log_.find(text) != std::string::npos;
}

}  // namespace kamt::test
