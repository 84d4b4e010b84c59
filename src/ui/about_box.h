#pragma once

#include <QDialog>

#include "ui_about_box.h"

namespace kamt {

// TAboutBox: the program's icon, name, version and purpose; "OK" closes it.
class AboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit AboutBox(QWidget* parent);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Ui::TAboutBox ui_;
};

}  // namespace kamt
