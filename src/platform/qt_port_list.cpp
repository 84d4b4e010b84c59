#include "platform/qt_port_list.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

namespace kamt {
namespace {

// The links of /dev/serial/by-id that lead to the device, by name.
QStringList StableNames(const QString& device) {
  QStringList names;
  const QDir byId(QStringLiteral("/dev/serial/by-id"));
  if (!byId.exists()) return names;
  for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
    if (link.isSymLink() && QFileInfo(link.symLinkTarget()).canonicalFilePath() == device) {
      names << link.absoluteFilePath();
    }
  }
  return names;
}

}  // namespace

std::vector<std::string> QtPortList::Names() const {
  std::vector<std::string> names;
  const auto add = [&names](const QString& name) {
    const std::string text = name.toStdString();
    if (std::find(names.begin(), names.end(), text) == names.end()) names.push_back(text);
  };
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
    add(info.portName());
#else
    add(info.systemLocation());
    for (const QString& stable : StableNames(QFileInfo(info.systemLocation()).canonicalFilePath())) add(stable);
#endif
  }
  return names;
}

}  // namespace kamt
