#include "ui/main_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <iostream>

#include "meter/archive_read.h"
#include "meter/comm_params_commands.h"
#include "meter/config_report.h"
#include "meter/current_data_read.h"
#include "meter/meter_clock_commands.h"
#include "meter/meter_config_commands.h"
#include "setup/connection.h"
#include "setup/phone_list.h"
#include "setup/settings_file.h"
#include "setup/tcp_events.h"
#include "ui/about_box.h"
#include "ui/archive_viewer_launcher.h"
#include "ui/config_file_buttons.h"
#include "ui/connection_dialog_form.h"
#include "ui/devices.h"
#include "ui/modem_dialog_form.h"
#include "ui/resources.h"
#include "ui/fleet_window.h"
#include "ui/traffic_monitor.h"

namespace kamt {

MainWindow::MainWindow(Devices& devices, PortList& ports, const MainWindowOptions& options)
    : devices_(devices), clock_(devices.clock), session_(window_, devices.port, devices.socket, clock_) {
  PrepareUi();
  ui_.setupUi(this);
  // A text of one blank, which the form file cannot keep.
  ui_.ComboBox14->setPlaceholderText(QStringLiteral(" "));
  setWindowIcon(QIcon(QStringLiteral(":/icons/kamt-gui.png")));
  BuildStatusBar();
  FormCreate(options);
  about_ = new AboutBox(this);
  viewers_ = new ArchiveViewerLauncher(*this, *ui_.File1, ui_.Exit1, *ui_.StatusBar1, session_);
  configFiles_ = new ConfigFileButtons(*this, session_);
  modem_ = new ModemDialogForm(this, devices.port, clock_, PhoneListPath(options.settingsPath));
  modem_->FormCreate();
  form2_ = new ConnectionDialogForm(this, session_.link, ports, *modem_);
  form2_->FormCreate();
  InstallSocketHandlers(session_.link, session_.window());

  connect(ui_.Exit1, &QAction::triggered, this, &QWidget::close);
  connect(ui_.Connect, &QAction::triggered, this, &MainWindow::ConnectTriggered);
  connect(ui_.Disconnect, &QAction::triggered, this, &MainWindow::DisconnectTriggered);
  connect(ui_.N3, &QAction::triggered, about_, &QDialog::exec);
  connect(ui_.Traffic1, &QAction::triggered, this, &MainWindow::ShowTrafficMonitor);
  connect(ui_.Fleet1, &QAction::triggered, this, &MainWindow::ShowFleetWindow);
  WireCommands();
  ui_.ReadTime_Button->installEventFilter(this);
  ui_.ReadConf_Button->installEventFilter(this);
}

MainWindow::~MainWindow() {
  // The socket outlives the window: its notifications must not reach a session that is gone.
  devices_.socket.SetHandlers({});
}

void MainWindow::FormCreate(const MainWindowOptions& options) {
  settingsPath_ = options.settingsPath;
  session_.decimalSeparator = options.decimalSeparator;
  session_.outputDirectory = options.outputDirectory;
  const SettingsLoad load = LoadSettings(session_.link.LinkSettings, settingsPath_);
  settingsRefused_ = load.refused;
  for (const std::string& warning : load.warnings) std::cerr << "kamt-gui: " << warning << '\n';
  session_.link.TransactionId = 0;
  window_.SetStatusText(0, "Порт не открыт");
}

void MainWindow::BuildStatusBar() {
  std::array<QLabel*, 3> panels{};
  const int widths[] = {250, 300, 50};
  for (int i = 0; i < 3; ++i) {
    auto* panel = new QLabel(ui_.StatusBar1);
    panel->setObjectName(QStringLiteral("StatusBar1_Panel%1").arg(i));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setMinimumWidth(widths[i]);
    if (i < 2) panel->setMaximumWidth(widths[i]);
    ui_.StatusBar1->addWidget(panel, i < 2 ? 0 : 1);
    panels[static_cast<std::size_t>(i)] = panel;
  }
  auto* progress = new QProgressBar(ui_.StatusBar1);
  progress->setObjectName(QStringLiteral("Archive_ProgressBar"));
  progress->setMaximumWidth(160);
  progress->setMaximumHeight(16);
  ui_.StatusBar1->addPermanentWidget(progress);
  progress->hide();
  window_.SetStatusPanels(panels);
  window_.SetProgressBar(progress);
}

// Every command button to its handler. The handlers refuse to start while another command
// runs; the three abort buttons act on the archive read under way.
void MainWindow::WireCommands() {
  Session& s = session_;
  OnClick("Button1", [&s] { Button1Click(s); });
  // After a read that saved its file, the status bar offers it to the archive viewer.
  OnClick("Button2", [this, &s] { viewers_->ArchiveRead([&s] { return Button2Click(s); }); });
  OnClick("Button3", [this, &s] { viewers_->ArchiveRead([&s] { return Button3Click(s); }); });
  OnClick("Button4", [this, &s] { viewers_->ArchiveRead([&s] { return Button4Click(s); }); });
  for (const char* abort : {"Button7", "Button8", "Button9"}) OnClick(abort, [&s] { Button7Click(s); });
  OnClick("Button5", [&s] { Button5Click(s); });
  OnClick("Button6", [&s] { Button6Click(s); });
  OnClick("ReadTime_Button", [&s] { ReadTime_ButtonClick(s); });
  OnClick("WriteTime_Button", [&s] { WriteTime_ButtonClick(s); });
  OnClick("PcTime_Button", [&s] { PcTime_ButtonClick(s); });
  OnClick("ReadConf_Button", [&s] { ReadConf_ButtonClick(s); });
  OnClick("WriteConf_Button", [&s] { WriteConf_ButtonClick(s); });
  OnClick("Button11", [&s] { Button11Click(s); });
  OnClick("BackupConf_Button", [this] { configFiles_->Backup(); });
  OnClick("RestoreConf_Button", [this] { configFiles_->Restore(); });
  OnClick("DiffConf_Button", [this] { configFiles_->Compare(); });
}

void MainWindow::OnClick(std::string_view button, std::function<void()> handler) {
  auto* widget = qobject_cast<QPushButton*>(window_.Find(button));
  if (!widget) return;
  connect(widget, &QPushButton::clicked, this, [this, handler = std::move(handler)] {
    handler();
    AfterHandler();
  });
}

// Not a command either: it works on a database, never on the main window's connection.
void MainWindow::ShowFleetWindow() {
  if (!fleet_) {
    fleet_ = new FleetWindow(this, session_.decimalSeparator);
    // Closing the main window ends the program, the fleet window with it.
    fleet_->setAttribute(Qt::WA_QuitOnClose, false);
  }
  fleet_->show();
  fleet_->raise();
  fleet_->activateWindow();
}

// Not a command: it only watches the line, so it opens also while a command runs.
void MainWindow::ShowTrafficMonitor() {
  if (!traffic_) traffic_ = new TrafficMonitor(this, devices_.port, devices_.socket, session_.outputDirectory);
  traffic_->show();
  traffic_->raise();
  traffic_->activateWindow();
}

// The connection commands wait too (a modem dial, a hang-up): like the commands, they do not
// start while another one runs.
void MainWindow::ConnectTriggered() {
  {
    CommandScope scope(session_);
    if (!scope) return;
    ConnectClick(session_.link, session_.window(), *form2_, *modem_);
  }
  AfterHandler();
}

void MainWindow::DisconnectTriggered() {
  {
    CommandScope scope(session_);
    if (!scope) return;
    DisconnectClick(session_.link, session_.window(), form2_->window());
  }
  AfterHandler();
}

void MainWindow::InterruptCommand() {
  window_.SetMessagesSuppressed(true);
  session_.ArchiveAbort = true;
  modem_->Interrupt();
  clock_.Interrupt();
  devices_.port.Interrupt();
  devices_.socket.Interrupt();
}

// A close asked for while a command waited happens now that it has ended.
void MainWindow::AfterHandler() {
  if (!closeRequested_ || session_.commandRunning) return;
  closeRequested_ = false;
  clock_.Resume();
  window_.SetMessagesSuppressed(false);
  QTimer::singleShot(0, this, &QWidget::close);
}

// "Время компьютера" belongs to the clock commands: it is usable exactly when "Считать" of
// the clock is, whoever enables or disables that.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui_.ReadTime_Button && event->type() == QEvent::EnabledChange) {
    ui_.PcTime_Button->setEnabled(!ui_.ReadTime_Button->testAttribute(Qt::WA_ForceDisabled));
  }
  // The configuration's file buttons read or write the meter: usable exactly when its
  // "Считать" is.
  if (watched == ui_.ReadConf_Button && event->type() == QEvent::EnabledChange) {
    const bool usable = !ui_.ReadConf_Button->testAttribute(Qt::WA_ForceDisabled);
    for (QPushButton* b : {ui_.BackupConf_Button, ui_.RestoreConf_Button, ui_.DiffConf_Button}) b->setEnabled(usable);
  }
  return QMainWindow::eventFilter(watched, event);
}

// FormClose. A command still waiting is ended first: the port and the socket are closed only
// once nothing uses them.
void MainWindow::closeEvent(QCloseEvent* event) {
  if (session_.commandRunning) {
    closeRequested_ = true;
    InterruptCommand();
    event->ignore();
    return;
  }
  if (FormClose(session_.link, session_.window(), settingsPath_, saveFailedBefore_, settingsRefused_)) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace kamt
