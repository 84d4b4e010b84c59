// kamt-gui: the service tool's window program.
#include <QApplication>
#include <QTimer>

#include "platform/system_locale.h"
#include "setup/settings_file.h"
#include "ui/devices.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The title of the taskbar entry and of every message box.
  QApplication::setApplicationName(QStringLiteral("ModBus"));
  kamt::Devices devices;
  kamt::MainWindow window(devices, devices.ports,
                          {kamt::DefaultSettingsPath(), ".", kamt::SystemDecimalSeparator()});
  window.show();
  // For the start-up benchmark: end as soon as the shown window has been through the loop.
  if (qEnvironmentVariableIsSet("KAMT_QUIT_WHEN_SHOWN")) QTimer::singleShot(0, &app, &QApplication::quit);
  return QApplication::exec();
}
