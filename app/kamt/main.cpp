// kamt: the service tool's commands on the command line.
#include <QCoreApplication>
#include <iostream>

#include "cli/kamt_cli.h"
#include "platform/qt_client_socket.h"
#include "platform/qt_clock.h"
#include "platform/qt_serial_port.h"
#include "platform/system_locale.h"
#include "setup/settings_file.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  kamt::QtSerialPort port;
  kamt::QtClientSocket socket;
  kamt::QtClock clock;
  kamt::CliDevices devices{port, socket, clock, kamt::SystemDecimalSeparator(), kamt::DefaultSettingsPath()};
  const std::vector<std::string> args(argv + 1, argv + argc);
  return kamt::RunKamt(args, devices, std::cout, std::cerr);
}
