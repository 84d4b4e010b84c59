#pragma once

#include <QDialog>
#include <filesystem>

#include "setup/modem_dial.h"
#include "setup/modem_dialog.h"
#include "ui/qt_window.h"
#include "ui_modem_dialog.h"

namespace kamt {

class Clock;
class SerialPort;

// TForm3, the modem dialog: the form of modem_dialog.ui bound to its logic. It lives for the
// whole run; the connection dialog's "Применить" shows it modally. Its status line is the
// label StatusBar1_Panel0 in StatusBar1.
class ModemDialogForm : public QDialog, public ModemDialog {
  Q_OBJECT

 public:
  ModemDialogForm(QWidget* parent, SerialPort& port, Clock& clock, std::filesystem::path phoneListPath);

  // Loads the phone list.
  void FormCreate() { logic_.FormCreate(); }
  bool ShowModal() override;
  std::string TelNumText() const override { return logic_.TelNumText(); }
  // The program is closing: a dial under way ends and the dialog closes.
  void Interrupt();

  QtWindow& window() { return window_; }
  const ModemDial& logic() const { return logic_; }

 protected:
  // Every close, whatever its result, saves the phone list (FormClose); a dial still waiting
  // is ended first, so that nothing reads the port behind a closed dialog.
  void done(int result) override;

 private:
  void Connect();

  Ui::TForm3 ui_;
  QtWindow window_{*this};
  ModemDial logic_;
};

}  // namespace kamt
