#pragma once

#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>

#include "link/traffic_log.h"
#include "ui_traffic_monitor.h"

namespace kamt {

class ClientSocket;
class SerialPort;
class TrafficMonitorModel;

// "Журнал обмена": every frame on the serial line, the modem's texts and every Modbus TCP
// frame, one line each with its time, direction, bytes and what it says. A window of its own
// that stays open beside the main window during commands. It listens only while it is shown
// and not paused: otherwise the exchanges do not even see it. New lines reach the table in
// batches, a few times a second, however fast the frames come.
class TrafficMonitor : public QWidget {
  Q_OBJECT

 public:
  // How often the table takes in what has come.
  static constexpr int kRefreshMs = 200;

  // folder: where "Сохранить..." offers to save first.
  TrafficMonitor(QWidget* parent, SerialPort& port, ClientSocket& socket, std::filesystem::path folder);
  ~TrafficMonitor() override;

  TrafficLog& log() { return log_; }
  TrafficMonitorModel& model() { return *model_; }
  bool Listening() const;

  // Asks where to save the log; an empty answer saves nothing. Tests answer it themselves.
  std::function<QString(QWidget* parent, const QString& suggested)> askSavePath;

  // The lines as they are copied: the rows selected, or all when none is.
  QString CopiedText() const;
  // "Сохранить...": the whole log into the file; a failure is said in a message box.
  bool SaveTo(const QString& path);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Listen(bool on);
  void Refresh();
  void ShowCount();
  void SaveClicked();
  void ClearClicked();

  Ui::TrafficMonitor ui_;
  SerialPort& port_;
  ClientSocket& socket_;
  std::filesystem::path folder_;
  TrafficLog log_;
  TrafficMonitorModel* model_ = nullptr;
  QTimer refresh_;
  QString saved_;  // the file the log was last saved to, while nothing new has come
};

}  // namespace kamt
