#include "ui/connection_dialog_form.h"

#include "setup/connection_text.h"
#include "setup/ip_address.h"
#include "text/input_number.h"
#include "ui/scan_dialog_form.h"

namespace kamt {

ConnectionDialogForm::ConnectionDialogForm(QWidget* parent, Link& link, PortList& ports, ModemDialog& modem)
    : QDialog(parent), link_(link), logic_(window_, link, ports, modem) {
  ui_.setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  connect(ui_.Button1, &QPushButton::clicked, this, &ConnectionDialogForm::Apply);
  connect(ui_.Button2, &QPushButton::clicked, this, &QDialog::reject);
  // Set by the user or by the program, the interface choice shows its own group.
  for (QRadioButton* item : {ui_.RadioGroup1_Serial, ui_.RadioGroup1_Ethernet, ui_.RadioGroup1_Converter}) {
    connect(item, &QRadioButton::toggled, this, [this](bool on) {
      if (!on) return;
      logic_.RadioGroup1Click();
      // Modbus TCP reaches one meter at its address; the search walks a line of them.
      ui_.Scan_Button->setEnabled(!ui_.RadioGroup1_Ethernet->isChecked());
    });
  }
  connect(ui_.Scan_Button, &QPushButton::clicked, this, &ConnectionDialogForm::Scan);
}

void ConnectionDialogForm::Scan() {
  ScanTarget target;
  target.baudrate = link_.LinkSettings.Baudrate;
  if (ui_.RadioGroup1_Converter->isChecked()) {
    const auto ip = ParseIpAddress(window_.Text("Edit2"));
    const auto port = ParseInteger(window_.Text("Edit3"));
    if (!ip) return window_.ShowMessage("Ошибка ввода IP-адреса!");
    if (!port || *port < 1 || *port > 65535) return window_.ShowMessage("Ошибка ввода номера порта!");
    target.converter = true;
    target.host = DottedAddress(*ip);
    target.port = *port;
  } else {
    target.device = window_.Text("ComboBox1");
  }
  ScanDialogForm scan(this, window_, target);
  scan.exec();
}

void ConnectionDialogForm::Apply() {
  switch (logic_.Button1Click()) {
    case ModalResult::Ok: accept(); break;
    case ModalResult::Cancel: reject(); break;
    case ModalResult::None: break;  // an input error keeps the dialog open
  }
}

}  // namespace kamt
