#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "programs.h"
#include "temp_dir.h"

namespace kamt::test {

// A simulated meter and a working directory for the programs run against it.
class E2eTest : public ::testing::Test {
 protected:
  // Starts the meter; ASSERT-style failure when it does not come up.
  void StartSim(const QStringList& options) {
    sim_ = std::make_unique<SimMeter>(options);
    ASSERT_TRUE(sim_->Ready()) << sim_->Failure();
  }
  SimMeter& Sim() { return *sim_; }

  ProgramResult Kamt(const QStringList& args, const QStringList& env = {}) {
    return RunKamt(args, QString::fromStdString(dir.path.string()), env);
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

  TempDir dir;

 private:
  std::unique_ptr<SimMeter> sim_;
};

}  // namespace kamt::test
