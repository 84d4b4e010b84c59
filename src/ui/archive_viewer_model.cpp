#include "ui/archive_viewer_model.h"

#include "viewer/archive_rows.h"

namespace kamt {

ArchiveTableModel::ArchiveTableModel(std::shared_ptr<const ArchiveFileContents> file, std::string separator,
                                     QObject* parent)
    : QAbstractTableModel(parent), file_(std::move(file)), separator_(std::move(separator)) {}

int ArchiveTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(file_->rows.size());
}

int ArchiveTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(file_->columns.size());
}

QVariant ArchiveTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const auto column = static_cast<std::size_t>(index.column());
  if (role == Qt::DisplayRole) {
    const ArchiveFileRow& row = file_->rows[static_cast<std::size_t>(index.row())];
    return QString::fromStdString(CellText(*file_, row, column, separator_));
  }
  // Numbers line up on their last digit, as in the file.
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(Qt::AlignVCenter | (column == 0 ? Qt::AlignLeft : Qt::AlignRight));
  }
  return {};
}

QVariant ArchiveTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  return QString::fromStdString(file_->columns[static_cast<std::size_t>(section)]);
}

}  // namespace kamt
