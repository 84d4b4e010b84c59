// kamt: the service tool's commands on the command line.
#include <QCoreApplication>
#include <QGuiApplication>
#include <memory>
#include <algorithm>
#include <csignal>
#include <iostream>

#include "cli/console_window.h"
#include "cli/kamt_cli.h"
#include "platform/qt_client_socket.h"
#include "platform/qt_clock.h"
#include "platform/qt_fleet_platform.h"
#include "platform/qt_serial_port.h"
#include "platform/system_locale.h"
#include "setup/settings_file.h"

// The first Ctrl+C asks a command that can stop cleanly (an archive read, which then saves
// what it has; a modem dial, which gives up) to do so; a second one, or one when no such
// command runs, ends the program.
extern "C" void OnInterrupt(int) {
  std::signal(SIGINT, SIG_DFL);
  if (!kamt::RequestConsoleInterrupt() && !kamt::RequestCollectStop()) std::raise(SIGINT);
}

// SIGTERM (systemd stopping the collector service) ends a collection between two requests,
// with what was read stored; anything else ends as SIGTERM always ends it.
extern "C" void OnTerminate(int) {
  std::signal(SIGTERM, SIG_DFL);
  if (!kamt::RequestCollectStop()) std::raise(SIGTERM);
}

int main(int argc, char** argv) {
  // The command line has no GLib widgets to serve, and Qt's own event loop wakes more cheaply
  // for every answer awaited than the GLib one.
  if (qEnvironmentVariableIsEmpty("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
  // A statement printed as PDF lays out its text with fonts, which only a GUI application
  // has; it never shows a window, so the offscreen platform serves on any machine.
  const bool pdf = argc > 1 && std::string(argv[1]) == "statement" && std::find_if(argv + 2, argv + argc, [](const char* a) {
                     return std::string(a) == "pdf";
                   }) != argv + argc;
  if (pdf) qputenv("QT_QPA_PLATFORM", "offscreen");
  const std::unique_ptr<QCoreApplication> app =
      pdf ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnTerminate);
  kamt::QtSerialPort port;
  kamt::QtClientSocket socket;
  kamt::QtClock clock;
  kamt::QtFleetPlatform fleet;
  kamt::CliDevices devices{port, socket, clock, kamt::SystemDecimalSeparator(), kamt::DefaultSettingsPath(), &fleet};
  const std::vector<std::string> args(argv + 1, argv + argc);
  return kamt::RunKamt(args, devices, std::cout, std::cerr);
}
