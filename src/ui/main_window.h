#pragma once

#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "meter/session.h"
#include "ui/interruptible_clock.h"
#include "ui/qt_window.h"
#include "ui_main_window.h"

class QProgressBar;

namespace kamt {

class AboutBox;
class ArchiveViewerLauncher;
class ConfigFileButtons;
class ConnectionDialogForm;
class FleetWindow;
class ModemDialogForm;
class PortList;
class TrafficMonitor;
struct Devices;

struct MainWindowOptions {
  // Vedan_modbus.ini, read at start-up and written at close; the modem dialog's phone list
  // tel_numbers.ini lies beside it.
  std::filesystem::path settingsPath;
  std::filesystem::path outputDirectory = ".";
  std::string decimalSeparator = ".";  // the user's locale's
};

// TForm1, the main window: its form (main_window.ui), the session every command works on,
// the About box and the connection dialog, and the connection commands of its menu.
//
// Status bar StatusBar1: three QLabels named StatusBar1_Panel0, StatusBar1_Panel1 and
// StatusBar1_Panel2, 250, 300 and at least 50 pixels wide (the last one takes the rest of
// the bar, as the last panel of a status bar does), and the archive progress bar
// Archive_ProgressBar at its right end, shown only while an archive is read.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // Start-up: FormCreate, then the About box, the modem dialog and the connection dialog.
  MainWindow(Devices& devices, PortList& ports, const MainWindowOptions& options);
  ~MainWindow() override;

  Session& session() { return session_; }
  QtWindow& window() { return window_; }
  ConnectionDialogForm& connectionDialog() { return *form2_; }
  ModemDialogForm& modemDialog() { return *modem_; }
  AboutBox& aboutBox() { return *about_; }
  ArchiveViewerLauncher& archiveViewers() { return *viewers_; }
  // "Копия в файл...", "Из файла...", "Сравнить..." of the configuration group.
  ConfigFileButtons& configFiles() { return *configFiles_; }
  // "Вид" → "Журнал обмена": made at its first showing; nullptr before.
  TrafficMonitor* trafficMonitor() { return traffic_; }
  // "Вид" → "Парк приборов...": made at its first showing; nullptr before.
  FleetWindow* fleetWindow() { return fleet_; }

  // Runs handler when the button is clicked; every command button is wired this way
  // (Button1 is already). A handler must refuse to run while another command runs
  // (CommandScope), except the abort buttons, which act on the command under way.
  void OnClick(std::string_view button, std::function<void()> handler);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate(const MainWindowOptions& options);
  void WireCommands();
  void BuildStatusBar();
  void ConnectTriggered();
  void ShowTrafficMonitor();
  void ShowFleetWindow();
  void DisconnectTriggered();
  // Ends the command under way as fast as it can: the close waits for it.
  void InterruptCommand();
  void AfterHandler();

  Devices& devices_;
  Ui::TForm1 ui_;
  QtWindow window_{*this};
  InterruptibleClock clock_;
  Session session_;
  std::filesystem::path settingsPath_;
  bool saveFailedBefore_ = false;
  bool settingsRefused_ = false;  // too large to read at start: never written over
  bool closeRequested_ = false;
  AboutBox* about_ = nullptr;
  ArchiveViewerLauncher* viewers_ = nullptr;  // "Открыть архив..." and "Показать"
  ConfigFileButtons* configFiles_ = nullptr;
  ModemDialogForm* modem_ = nullptr;
  ConnectionDialogForm* form2_ = nullptr;
  TrafficMonitor* traffic_ = nullptr;
  FleetWindow* fleet_ = nullptr;
};

}  // namespace kamt
