// kamt-gui: the service tool's window program.
#include <QApplication>

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
  return QApplication::exec();
}
