#pragma once

#include <QAbstractTableModel>
#include <memory>
#include <string>

#include "meter/archive_file_reader.h"

namespace kamt {

// The rows of an archive file for the viewer's table: the file's columns, one row per
// interval, numbers with the user's decimal separator. Made for tens of thousands of rows.
class ArchiveTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  ArchiveTableModel(std::shared_ptr<const ArchiveFileContents> file, std::string separator, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::shared_ptr<const ArchiveFileContents> file_;
  std::string separator_;
};

}  // namespace kamt
