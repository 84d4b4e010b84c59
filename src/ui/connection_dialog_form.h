#pragma once

#include <QDialog>

#include "setup/connection.h"
#include "setup/connection_dialog.h"
#include "ui/qt_window.h"
#include "ui_connection_dialog.h"

namespace kamt {

// TForm2, the connection settings dialog: the form of connection_dialog.ui bound to its
// logic. It lives for the whole run; only its modal showings come and go.
class ConnectionDialogForm : public QDialog, public SettingsDialog {
  Q_OBJECT

 public:
  ConnectionDialogForm(QWidget* parent, Link& link, PortList& ports, ModemDialog& modem);

  void FormCreate() { logic_.FormCreate(); }

  Window& Form() override { return window_; }
  bool ShowModal() override { return exec() == QDialog::Accepted; }

  QtWindow& window() { return window_; }

 private:
  void Apply();
  // "Поиск прибора...": over the serial port or the converter the dialog names now.
  void Scan();

  Ui::TForm2 ui_;
  Link& link_;
  QtWindow window_{*this};
  ConnectionDialog logic_;
};

}  // namespace kamt
