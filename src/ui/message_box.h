#pragma once

#include <QString>
#include <functional>

#include "setup/window.h"

class QWidget;

namespace kamt {

// Every message box of the program goes through here: the main window's with the
// application title "ModBus", a dialog's with a title and icon of its own, each with one OK
// button. Tests put a function of their own in its place, which answers the boxes without a
// modal loop.
using MessageBoxFunction = std::function<void(QWidget* parent, const QString& text)>;
using TitledMessageBoxFunction =
    std::function<void(QWidget* parent, const QString& title, const QString& text, MessageIcon icon)>;

void ShowMessageBox(QWidget* parent, const QString& text);
void ShowMessageBox(QWidget* parent, const QString& title, const QString& text, MessageIcon icon);
// An empty function puts the real message box back. The first kind sees the texts only; the
// second also the title and the icon. Either replaces the other.
void SetMessageBoxFunction(MessageBoxFunction function);
void SetTitledMessageBoxFunction(TitledMessageBoxFunction function);

}  // namespace kamt
