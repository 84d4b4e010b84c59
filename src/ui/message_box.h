#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace kamt {

// Every message box of the program goes through here: the text, the application title
// "ModBus" and one OK button. Tests put a function of their own in its place, which answers
// the boxes without a modal loop.
using MessageBoxFunction = std::function<void(QWidget* parent, const QString& text)>;

void ShowMessageBox(QWidget* parent, const QString& text);
// An empty function puts the real message box back.
void SetMessageBoxFunction(MessageBoxFunction function);

}  // namespace kamt
