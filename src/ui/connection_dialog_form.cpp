#include "ui/connection_dialog_form.h"

namespace kamt {

ConnectionDialogForm::ConnectionDialogForm(QWidget* parent, Link& link, PortList& ports, ModemDialog& modem)
    : QDialog(parent), logic_(window_, link, ports, modem) {
  ui_.setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  connect(ui_.Button1, &QPushButton::clicked, this, &ConnectionDialogForm::Apply);
  connect(ui_.Button2, &QPushButton::clicked, this, &QDialog::reject);
  // Set by the user or by the program, the interface choice shows its own group.
  for (QRadioButton* item : {ui_.RadioGroup1_Serial, ui_.RadioGroup1_Ethernet}) {
    connect(item, &QRadioButton::toggled, this, [this](bool on) {
      if (on) logic_.RadioGroup1Click();
    });
  }
}

void ConnectionDialogForm::Apply() {
  switch (logic_.Button1Click()) {
    case ModalResult::Ok: accept(); break;
    case ModalResult::Cancel: reject(); break;
    case ModalResult::None: break;  // an input error keeps the dialog open
  }
}

}  // namespace kamt
