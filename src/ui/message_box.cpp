#include "ui/message_box.h"

#include <QMessageBox>

namespace kamt {
namespace {

TitledMessageBoxFunction& Replacement() {
  static TitledMessageBoxFunction function;
  return function;
}

QMessageBox::Icon ToQt(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void ShowMessageBox(QWidget* parent, const QString& text) {
  ShowMessageBox(parent, QStringLiteral("ModBus"), text, MessageIcon::None);
}

void ShowMessageBox(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) {
  if (Replacement()) {
    Replacement()(parent, title, text, icon);
    return;
  }
  QMessageBox box(ToQt(icon), title, text, QMessageBox::Ok, parent);
  box.exec();
}

void SetMessageBoxFunction(MessageBoxFunction function) {
  if (!function) {
    Replacement() = nullptr;
    return;
  }
  Replacement() = [function = std::move(function)](QWidget* parent, const QString&, const QString& text,
                                                   MessageIcon) { function(parent, text); };
}

void SetTitledMessageBoxFunction(TitledMessageBoxFunction function) { Replacement() = std::move(function); }

}  // namespace kamt
