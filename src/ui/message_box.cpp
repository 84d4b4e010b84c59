#include "ui/message_box.h"

#include <QMessageBox>

namespace kamt {
namespace {

MessageBoxFunction& Replacement() {
  static MessageBoxFunction function;
  return function;
}

}  // namespace

void ShowMessageBox(QWidget* parent, const QString& text) {
  if (Replacement()) {
    Replacement()(parent, text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ModBus"), text, QMessageBox::Ok, parent);
  box.exec();
}

void SetMessageBoxFunction(MessageBoxFunction function) { Replacement() = std::move(function); }

}  // namespace kamt
