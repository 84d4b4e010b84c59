#pragma once

#include "e2e_fixture.h"

namespace kamt::test {

// The same test over the serial line and over Modbus TCP, against one simulated meter that
// keeps what is written between runs of kamt.
class OverBothTransports : public E2eTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override { StartSim({"--tcp", "0", "--serial-number", "4321"}); }
  ProgramResult Run(const QStringList& command, const QStringList& env = {}) {
    return Kamt(std::string(GetParam()) == "serial" ? Serial(command) : Tcp(command), env);
  }
};

inline std::string TransportName(const ::testing::TestParamInfo<const char*>& info) { return info.param; }

}  // namespace kamt::test
