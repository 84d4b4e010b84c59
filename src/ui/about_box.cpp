#include "ui/about_box.h"

#include <QScreen>

#include "ui/resources.h"

namespace kamt {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
  PrepareUi();
  ui_.setupUi(this);
  // A fixed dialog border: the box has one size.
  setFixedSize(size());
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void AboutBox::showEvent(QShowEvent* event) {
  if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
  QDialog::showEvent(event);
}

}  // namespace kamt
