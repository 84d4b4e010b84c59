#include "platform/qt_fleet_platform.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSysInfo>

#include "fleet/database_address.h"
#include "platform/qt_worker_pool.h"
#include "platform/statement_pdf.h"
#include "platform/sql_store.h"

namespace kamt {

std::unique_ptr<Store> QtFleetPlatform::OpenStore(const std::string& path) { return std::make_unique<SqlStore>(path); }

std::unique_ptr<Store> QtFleetPlatform::OpenStoreToRead(const std::string& path) {
  return std::make_unique<SqlStore>(path, SqlStore::Open::Read);
}

std::unique_ptr<WorkerPool> QtFleetPlatform::MakePool(const std::string& path, int size) {
  return std::make_unique<QtWorkerPool>(path, size);
}

bool QtFleetPlatform::LockDatabase(const std::string& path, std::string& holder) {
  if (ParseDatabaseAddress(path).server) return true;
  lock_ = std::make_unique<QLockFile>(QString::fromStdString(path + ".lock"));
  lock_->setStaleLockTime(0);
  if (lock_->tryLock(0)) return true;
  // A folder where no lock file can be made is no sign of another collector: opening the
  // database there says what is wrong.
  if (lock_->error() != QLockFile::LockFailedError) return true;
  qint64 pid = 0;
  QString host, app;
  holder = lock_->getLockInfo(&pid, &host, &app) ? "process " + std::to_string(pid) + " on " + host.toStdString()
                                                 : "another process";
  return false;
}

std::string QtFleetPlatform::WritePdf(const std::string& html, const std::string& path) {
  return WriteHtmlPdf(QString::fromStdString(html), QString::fromStdString(path)).toStdString();
}

std::string QtFleetPlatform::CollectorName() {
  // The start time tells a process apart from a later one that got the same number.
  return QSysInfo::machineHostName().toStdString() + " process " +
         std::to_string(QCoreApplication::applicationPid()) + " started " +
         QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString();
}

}  // namespace kamt
