#include "ui/resources.h"

#include <QFont>
#include <QStringList>
#include <QtGlobal>

// Q_INIT_RESOURCE names a function of the global namespace.
static void InitKamtUiResources() { Q_INIT_RESOURCE(kamt_ui); }

namespace kamt {

void PrepareUi() {
  static const bool done = [] {
    InitKamtUiResources();
    // The forms are laid out for "MS Sans Serif" 8 pt. Where the system lacks it, a face of
    // the same widths takes its place (Liberation Sans is Arial's metric twin), so captions
    // fit their places; any other face would be wider.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               QStringList{QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                                QStringLiteral("Liberation Sans")});
    return true;
  }();
  (void)done;
}

}  // namespace kamt
