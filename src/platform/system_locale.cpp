#include "platform/system_locale.h"

#include <QLocale>

namespace kamt {

std::string SystemDecimalSeparator() { return QLocale::system().decimalPoint().toStdString(); }

}  // namespace kamt
