#include "ui/config_file_buttons.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <filesystem>

#include "meter/config_backup_read.h"
#include "meter/session.h"
#include "setup/window.h"
#include "ui/config_diff_dialog.h"

namespace kamt {
namespace {

const QString kFilter = QStringLiteral("Конфигурация КАМТ (*.txt);;Все файлы (*)");

std::filesystem::path Path(const QString& path) { return std::filesystem::path(path.toStdU32String()); }

std::optional<ConfigBackup> Load(Window& w, const QString& path) {
  std::string error;
  auto backup = LoadBackupFile(Path(path), error);
  if (!backup) w.ShowMessage(QFileInfo(path).fileName().toStdString() + ": " + error);
  return backup;
}

}  // namespace

ConfigFileButtons::ConfigFileButtons(QWidget& window, Session& session)
    : QObject(&window), window_(window), session_(session) {}

// Like every command, none starts while another one runs; nor does its file dialog. The
// meter is read first, so that the name offered carries its serial number.
void ConfigFileButtons::Backup() {
  if (session_.commandRunning) return;
  const auto backup = ReadBackup(session_);
  if (!backup) return;
  const QString suggested = QString::fromStdString(
      (session_.outputDirectory / ("KAMT_Backup" + backup->serialNumber + ".txt")).string());
  const QString path = QFileDialog::getSaveFileName(&window_, QStringLiteral("Копия конфигурации"), suggested, kFilter);
  if (!path.isEmpty()) Save(path, *backup);
}

bool ConfigFileButtons::BackupTo(const QString& path) {
  const auto backup = ReadBackup(session_);
  return backup && Save(path, *backup);
}

bool ConfigFileButtons::Save(const QString& path, const ConfigBackup& backup) {
  Window& w = session_.window();
  std::string error;
  if (!SaveBackupFile(Path(path), backup, error)) {
    w.ShowMessage("Ошибка открытия файла: " + path.toStdString() + " (" + error + ")");
    return false;
  }
  w.SetStatusText(1, "Конфигурация сохранена в файл: " + QFileInfo(path).fileName().toStdString());
  return true;
}

// New communication parameters can leave the meter out of reach of the connection in use:
// they are written only when the user says so.
void ConfigFileButtons::Restore() {
  if (session_.commandRunning) return;
  const QString path = QFileDialog::getOpenFileName(&window_, QStringLiteral("Конфигурация из файла"),
                                                    QString::fromStdString(session_.outputDirectory.string()), kFilter);
  if (path.isEmpty()) return;
  const auto backup = Load(session_.window(), path);
  if (!backup) return;
  bool withComm = false;
  if (!backup->comm.empty()) {
    const auto answer = QMessageBox::question(
        &window_, QStringLiteral("ModBus"),
        QStringLiteral("В файле есть и параметры коммуникации (сетевой номер, скорость, IP-адрес, порт). "
                       "Записать их тоже? После записи прибор может перестать отвечать при нынешних "
                       "параметрах соединения."),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No);
    if (answer == QMessageBox::Cancel) return;
    withComm = answer == QMessageBox::Yes;
  }
  RestoreFrom(path, withComm);
}

RestoreOutcome ConfigFileButtons::RestoreFrom(const QString& path, bool withComm) {
  Window& w = session_.window();
  const auto backup = Load(w, path);
  if (!backup) return RestoreOutcome::Refused;
  const RestoreResult result = RestoreBackup(session_, *backup, withComm);
  if (result.outcome == RestoreOutcome::Refused) {
    w.ShowMessage(QFileInfo(path).fileName().toStdString() + ": " + result.error + ". В прибор ничего не записано.");
  }
  return result.outcome;
}

void ConfigFileButtons::Compare() {
  if (session_.commandRunning) return;
  const QStringList paths = QFileDialog::getOpenFileNames(
      &window_, QStringLiteral("Сравнить с прибором файл (или два файла между собой)"),
      QString::fromStdString(session_.outputDirectory.string()), kFilter);
  if (!paths.isEmpty()) CompareWith(paths.mid(0, 2));
}

bool ConfigFileButtons::CompareWith(const QStringList& paths) {
  Window& w = session_.window();
  const auto left = Load(w, paths.at(0));
  if (!left) return false;
  std::optional<ConfigBackup> right;
  QString rightTitle = QStringLiteral("Прибор");
  if (paths.size() > 1) {
    right = Load(w, paths.at(1));
    rightTitle = QFileInfo(paths.at(1)).fileName();
  } else {
    right = ReadBackup(session_, !left->comm.empty());
  }
  if (!right) return false;
  if (diff_) diff_->close();
  diff_ = new ConfigDiffDialog(&window_, CompareBackups(*left, *right), QFileInfo(paths.at(0)).fileName(), rightTitle);
  diff_->setAttribute(Qt::WA_DeleteOnClose);
  diff_->show();
  return true;
}

}  // namespace kamt
