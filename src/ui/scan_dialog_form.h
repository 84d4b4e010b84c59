#pragma once

#include <QDialog>
#include <string>

#include "link/link.h"
#include "meter/meter_scan.h"
#include "platform/qt_client_socket.h"
#include "platform/qt_clock.h"
#include "platform/qt_serial_port.h"
#include "ui_scan_dialog.h"

namespace kamt {

class Window;

// Where the search looks: a serial device, or a converter's address and port.
struct ScanTarget {
  bool converter = false;
  std::string device;
  std::string host;
  int port = 0;
  int baudrate = 9600;  // the converter's line as far as the settings know it, for the time estimate
};

// "Поиск прибора": tries addresses, bit rates and parities with the current-data request and
// lists each meter that answers; "Использовать" puts the chosen one's address and line
// settings into the connection dialog. It searches through devices of its own, so a
// connection of the main window is never disturbed (a port that connection holds cannot be
// opened, and says so).
class ScanDialogForm : public QDialog, private ScanListener {
  Q_OBJECT

 public:
  ScanDialogForm(QWidget* parent, Window& connectionForm, ScanTarget target);

  // "Начать": runs the whole search from its click; "Прервать" and closing stop it.
  void Start();
  // "Использовать": the meter chosen in the list into the connection dialog; closes with OK.
  void Use();
  const ScanResult& result() const { return result_; }

 protected:
  void reject() override;

 private:
  void Progress(int done, int total, long long leftMs) override;
  void Found(const ScanFind& find) override;
  void LineRefused(const ScanLine& line, const std::vector<std::string>& refused) override;
  bool Stopped() override { return stop_; }

  bool Open();
  ScanPlan Plan() const;
  void SetRunning(bool running);

  Ui::ScanDialog ui_;
  Window& connectionForm_;
  ScanTarget target_;
  QtSerialPort port_;
  QtClientSocket socket_;
  QtClock clock_;
  Link link_{port_, socket_, clock_};
  ScanResult result_;
  QStringList refused_;  // line settings the port did not take
  bool running_ = false;
  bool stop_ = false;
  bool closeRequested_ = false;
};

}  // namespace kamt
