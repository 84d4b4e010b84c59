#pragma once

#include "e2e_fixture.h"

namespace kamt::test {

// The same test over the serial line and over Modbus TCP, against one simulated meter that
// keeps what is written between runs of kamt.
class OverBothTransports : public E2eTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override { StartSim({"--tcp", "0", "--serial-number", "4321"}); }
  bool Serial() const { return std::string(GetParam()) == "serial"; }
  ProgramResult Run(const QStringList& command, const QStringList& env = {}) {
    return Kamt(Serial() ? E2eTest::Serial(command) : Tcp(command), env);
  }
  // The line of `text` that starts with `prefix`; empty when there is none.
  static std::string LineStarting(const std::string& text, const std::string& prefix) {
    for (const std::string& line : Lines(text)) {
      if (line.starts_with(prefix)) return line;
    }
    return {};
  }
};

inline std::string TransportName(const ::testing::TestParamInfo<const char*>& info) { return info.param; }

}  // namespace kamt::test
