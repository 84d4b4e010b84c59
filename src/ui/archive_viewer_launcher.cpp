#include "ui/archive_viewer_launcher.h"

#include <QAction>
#include <QFileDialog>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>

#include "meter/session.h"
#include "ui/archive_viewer.h"

namespace kamt {
namespace {

QString PathText(const std::filesystem::path& path) { return QString::fromStdU16String(path.u16string()); }

QString AskOpenPath(QWidget* parent, const QString& folder) {
  return QFileDialog::getOpenFileName(parent, QStringLiteral("Открыть архив"), folder,
                                      QStringLiteral("Архивы КАМТ (KAMTarch*.txt);;Текстовые файлы (*.txt);;"
                                                     "Все файлы (*)"));
}

}  // namespace

ArchiveViewerLauncher::ArchiveViewerLauncher(QMainWindow& window, QMenu& fileMenu, QAction* before, QStatusBar& bar,
                                             const Session& session)
    : QObject(&window), askOpenPath(AskOpenPath), window_(window), session_(session) {
  auto* open = new QAction(QStringLiteral("Открыть архив..."), &window);
  open->setObjectName(QStringLiteral("OpenArchive"));
  open->setShortcut(QKeySequence::Open);
  fileMenu.insertAction(before, open);
  fileMenu.insertSeparator(before);
  connect(open, &QAction::triggered, this, &ArchiveViewerLauncher::OpenTriggered);

  show_ = new QPushButton(QStringLiteral("Показать"), &bar);
  show_->setObjectName(QStringLiteral("ShowArchive_Button"));
  bar.addPermanentWidget(show_);
  show_->hide();
  connect(show_, &QPushButton::clicked, this, [this] { OpenFile(savedFile_); });
}

ArchiveReadResult ArchiveViewerLauncher::ArchiveRead(const std::function<ArchiveReadResult()>& read) {
  const bool offered = show_->isVisible();
  show_->hide();
  const ArchiveReadResult result = read();
  if (result.outcome == ArchiveOutcome::Saved) {
    savedFile_ = PathText(session_.outputDirectory / result.fileName);
    show_->setToolTip(QStringLiteral("Открыть %1 в окне просмотра").arg(QString::fromStdString(result.fileName)));
    show_->show();
  } else if (result.outcome == ArchiveOutcome::Busy) {
    // Another command was running: this click did nothing, the earlier offer stands.
    show_->setVisible(offered);
  }
  return result;
}

ArchiveViewer* ArchiveViewerLauncher::OpenFile(const QString& path) {
  return ArchiveViewer::Open(&window_, path, session_.decimalSeparator);
}

void ArchiveViewerLauncher::OpenTriggered() {
  const QString path = askOpenPath(&window_, PathText(session_.outputDirectory));
  if (!path.isEmpty()) OpenFile(path);
}

}  // namespace kamt
