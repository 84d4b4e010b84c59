#include "ui/config_diff_dialog.h"

#include <QHeaderView>

namespace kamt {
namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

ConfigDiffDialog::ConfigDiffDialog(QWidget* parent, const std::vector<BackupDifference>& differences,
                                   const QString& leftTitle, const QString& rightTitle)
    : QDialog(parent) {
  ui_.setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  connect(ui_.Close_Button, &QPushButton::clicked, this, &QDialog::reject);
  ui_.Summary_Label->setText(differences.empty() ? QStringLiteral("Различий нет")
                                                 : QStringLiteral("Различаются полей: %1").arg(differences.size()));
  QTableWidget& table = *ui_.Diff_TableWidget;
  table.setHorizontalHeaderLabels({QStringLiteral("Поле"), leftTitle, rightTitle});
  table.setRowCount(static_cast<int>(differences.size()));
  for (int row = 0; row < table.rowCount(); ++row) {
    const BackupDifference& d = differences[static_cast<std::size_t>(row)];
    table.setItem(row, 0, new QTableWidgetItem(Q(d.caption)));
    table.setItem(row, 1, new QTableWidgetItem(Q(d.left)));
    table.setItem(row, 2, new QTableWidgetItem(Q(d.right)));
  }
  table.resizeColumnsToContents();
}

}  // namespace kamt
