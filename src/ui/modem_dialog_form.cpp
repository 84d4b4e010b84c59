#include "ui/modem_dialog_form.h"

#include <QLabel>

namespace kamt {

ModemDialogForm::ModemDialogForm(QWidget* parent, SerialPort& port, Clock& clock, std::filesystem::path phoneListPath)
    : QDialog(parent), logic_(window_, port, clock, std::move(phoneListPath)) {
  ui_.setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* status = new QLabel(ui_.StatusBar1);
  status->setObjectName(QStringLiteral("StatusBar1_Panel0"));
  status->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  ui_.StatusBar1->addWidget(status, 1);
  window_.SetStatusPanels({status, nullptr, nullptr});
  connect(ui_.Add_Button, &QPushButton::clicked, this, [this] { logic_.Add_ButtonClick(); });
  connect(ui_.Delete_Button, &QPushButton::clicked, this, [this] { logic_.Delete_ButtonClick(); });
  connect(ui_.Connect_Button, &QPushButton::clicked, this, &ModemDialogForm::Connect);
  connect(ui_.Button1, &QPushButton::clicked, this, [this] { logic_.Button1Click(); });
}

bool ModemDialogForm::ShowModal() {
  logic_.FormShow();
  return exec() == QDialog::Accepted;
}

void ModemDialogForm::Connect() {
  logic_.Connect_ButtonClick();
  // A dialog closed while the dial waited stays closed, with what it was closed with.
  if (logic_.result() == ModemDial::Result::Ok && isVisible()) accept();
}

void ModemDialogForm::Interrupt() {
  logic_.AbortDial();
  if (isVisible()) reject();
}

void ModemDialogForm::done(int result) {
  logic_.AbortDial();
  logic_.FormClose();
  QDialog::done(result);
}

}  // namespace kamt
