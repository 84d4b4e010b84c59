#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include "meter/config_restore.h"
#include "ui/config_diff_dialog.h"

class QWidget;

namespace kamt {

struct Session;

// The configuration group's file buttons: "Копия в файл..." saves the configuration and the
// communication parameters read from the meter, "Из файла..." writes a saved one back (the
// communication parameters only when the user agrees), "Сравнить..." shows the fields that
// differ between a file and the meter, or between two files.
class ConfigFileButtons : public QObject {
  Q_OBJECT

 public:
  ConfigFileButtons(QWidget& window, Session& session);

  // The buttons: each asks for its file first.
  void Backup();
  void Restore();
  void Compare();

  // Their work once the files are known.
  bool BackupTo(const QString& path);
  RestoreOutcome RestoreFrom(const QString& path, bool withComm);
  bool CompareWith(const QStringList& paths);
  ConfigDiffDialog* diffDialog() { return diff_; }

 private:
  bool Save(const QString& path, const ConfigBackup& backup);

  QWidget& window_;
  Session& session_;
  QPointer<ConfigDiffDialog> diff_;
};

}  // namespace kamt
