#pragma once

#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "meter/session.h"
#include "ui/interruptible_clock.h"
#include "ui/qt_window.h"
#include "ui_main_window.h"

class QProgressBar;

namespace kamt {

class AboutBox;
class ConnectionDialogForm;
class ModemDialog;
class PortList;
struct Devices;

struct MainWindowOptions {
  std::filesystem::path settingsPath;  // Vedan_modbus.ini, read at start-up and written at close
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
  AboutBox& aboutBox() { return *about_; }

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
  bool closeRequested_ = false;
  AboutBox* about_ = nullptr;
  std::unique_ptr<ModemDialog> modem_;
  ConnectionDialogForm* form2_ = nullptr;
};

}  // namespace kamt
