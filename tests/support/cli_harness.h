#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/kamt_cli.h"
#include "fake_client_socket.h"
#include "fake_serial_port.h"
#include "temp_dir.h"

namespace kamt::test {

// kamt run in process against the fakes, in a directory of its own, under a comma locale.
class CliHarness : public ::testing::Test {
 protected:
  int Run(const std::vector<std::string>& args) {
    out.str("");
    err.str("");
    return RunKamt(args, devices, out, err);
  }

  std::vector<std::string> OutLines() const {
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  FakeClock clock;
  FakeSerialPort port{clock};
  FakeClientSocket socket{clock};
  TempDir dir;
  CliDevices devices{port, socket, clock, ",", dir.path / "Vedan_modbus.ini"};
  std::ostringstream out, err;
};

}  // namespace kamt::test
