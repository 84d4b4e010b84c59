#pragma once

#include <QAction>
#include <QTimer>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "setup/port_list.h"
#include "sim_meter.h"
#include "temp_dir.h"
#include "ui/connection_dialog_form.h"
#include "ui/devices.h"
#include "ui/main_window.h"

namespace kamt::test {

struct ListedPorts : PortList {
  std::vector<std::string> names;
  std::vector<std::string> Names() const override { return names; }
};

// The window program as main() builds it, with real devices, in a directory of its own, its
// message boxes answered at once and collected.
class GuiRig {
 public:
  // iniText: the settings file found at start-up; empty for a first run without one.
  explicit GuiRig(const std::string& iniText = {}, std::vector<std::string> ports = {});
  ~GuiRig();

  MainWindow& main() { return *window_; }
  ConnectionDialogForm& form2() { return window_->connectionDialog(); }
  std::filesystem::path SettingsPath() const { return dir.path / "Vedan_modbus.ini"; }
  void Restart(const std::filesystem::path& settingsPath);

  template <typename T>
  T* Child(QWidget& root, const char* name) {
    return root.findChild<T*>(QString::fromUtf8(name));
  }
  QAction* Action(const char* name) { return Child<QAction>(main(), name); }
  std::string Panel(int panel) { return main().window().StatusText(panel); }
  bool Enabled(const char* name) { return Child<QWidget>(main(), name)->isEnabled(); }

  // "Установить соединение", the dialog filled in by fill, "Применить". False when the dialog
  // stayed open (an input error), after closing it with "Отмена".
  bool ConnectWith(const std::function<void(ConnectionDialogForm&)>& fill);
  // The same over Ethernet to 127.0.0.1:port; with waitUp, true only once the connection is up.
  bool ConnectTcp(int port, bool waitUp = true);
  bool ConnectSerial(const std::string& device);
  // Over TCP to a ready sim, then "Считать" of the current data.
  void ConnectAndRead(const SimMeter& sim);
  void Click(const char* button);
  // Runs act once, from the event loop a command's wait runs, as soon as ready holds; polls
  // every 20 ms until then. The rig owns the poll, so nothing fires after the test.
  void WhenReady(std::function<bool()> ready, std::function<void()> act);
  // The lines of a file this program wrote (0 when there is none).
  static std::size_t FileLineCount(const std::filesystem::path& path);

  // A PNG of the widget in the build tree's screens/ folder.
  static void SaveScreen(QWidget& widget, const QString& name);

  QStringList messages;
  TempDir dir;

 private:
  Devices devices_;
  ListedPorts ports_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<QTimer> poll_;
};

}  // namespace kamt::test
