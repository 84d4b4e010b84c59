#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "meter/archive_read.h"

class QAction;
class QMainWindow;
class QMenu;
class QPushButton;
class QStatusBar;

namespace kamt {

class ArchiveViewer;
struct Session;

// The ways into the archive viewer from the main window: "Файл" → "Открыть архив..." for any
// file, and "Показать" at the right of the status bar for the file the last archive read
// saved (shown only after a read that saved one). Neither touches the meter or its commands.
class ArchiveViewerLauncher : public QObject {
  Q_OBJECT

 public:
  ArchiveViewerLauncher(QMainWindow& window, QMenu& fileMenu, QAction* before, QStatusBar& bar, const Session& session);

  // Runs an archive read (Button2Click and its kin) and offers its file afterwards.
  ArchiveReadResult ArchiveRead(const std::function<ArchiveReadResult()>& read);

  // A viewer of the file, or nullptr when it could not be read (the message box says why).
  ArchiveViewer* OpenFile(const QString& path);

  // Asks which file to open, starting in a folder; empty for none. Tests answer it themselves.
  std::function<QString(QWidget* parent, const QString& folder)> askOpenPath;

 private:
  void OpenTriggered();

  QMainWindow& window_;
  const Session& session_;
  QPushButton* show_ = nullptr;
  QString savedFile_;
};

}  // namespace kamt
