#include "ui/archive_viewer.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <algorithm>

#include "ui/archive_viewer_chart.h"
#include "ui/archive_viewer_model.h"
#include "ui/message_box.h"
#include "viewer/archive_rows.h"

namespace kamt {
namespace {

QString Intervals(std::size_t n) {
  const std::size_t tens = n % 100, ones = n % 10;
  const char* word = ones == 1 && tens != 11                                ? "интервал"
                     : ones >= 2 && ones <= 4 && (tens < 12 || tens > 14) ? "интервала"
                                                                             : "интервалов";
  return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(word));
}

QString AskSavePath(QWidget* parent, const QString& suggested) {
  return QFileDialog::getSaveFileName(parent, QStringLiteral("Сохранить график"), suggested,
                                      QStringLiteral("Рисунок PNG (*.png)"));
}

}  // namespace

ArchiveViewer* ArchiveViewer::Open(QWidget* parent, const QString& path, const std::string& separator) {
  ArchiveFileReadResult read = ReadArchiveFile(std::filesystem::path(path.toStdU16String()));
  if (!read.contents) {
    ShowMessageBox(parent, QStringLiteral("Не удалось открыть архив %1:\n%2")
                               .arg(QFileInfo(path).fileName(), QString::fromStdString(read.error)));
    return nullptr;
  }
  auto file = std::make_shared<const ArchiveFileContents>(std::move(*read.contents));
  auto* viewer = new ArchiveViewer(parent, path, std::move(file), separator);
  viewer->setAttribute(Qt::WA_DeleteOnClose);
  // Closing the main window ends the program, whatever viewers are still open.
  viewer->setAttribute(Qt::WA_QuitOnClose, false);
  viewer->show();
  return viewer;
}

ArchiveViewer::ArchiveViewer(QWidget* parent, const QString& path, std::shared_ptr<const ArchiveFileContents> file,
                             const std::string& separator)
    : QWidget(parent, Qt::Window), askSavePath(AskSavePath), path_(path), file_(std::move(file)) {
  ui_.setupUi(this);
  setWindowTitle(QStringLiteral("Просмотр архива: %1").arg(QFileInfo(path).fileName()));
  chart_ = new ArchiveChartView(file_, separator, ui_.Chart_Place);
  chart_->setObjectName(QStringLiteral("Archive_Chart"));
  chart_->setMinimumHeight(260);
  ui_.Chart_Place->layout()->addWidget(chart_);

  auto* model = new ArchiveTableModel(file_, separator, this);
  ui_.Rows_Table->setModel(model);
  ui_.Rows_Table->verticalHeader()->hide();
  ui_.Rows_Table->verticalHeader()->setDefaultSectionSize(ui_.Rows_Table->fontMetrics().height() + 6);
  // The time column as wide as its text, the numbers sharing the rest.
  QHeaderView* columns = ui_.Rows_Table->horizontalHeader();
  columns->setSectionResizeMode(QHeaderView::Stretch);
  columns->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  ui_.Splitter->setSizes({440, 220});
  ui_.Summary_Label->setText(Summary());

  connect(ui_.Rows_Table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { chart_->ShowRow(current.isValid() ? current.row() : -1); });
  connect(ui_.ResetZoom_Button, &QPushButton::clicked, chart_, &ArchiveChartView::ResetZoom);
  connect(ui_.SaveChart_Button, &QPushButton::clicked, this, &ArchiveViewer::SaveClicked);
}

// "Часовой архив, заводской номер 123: 3 интервала, 31.05.2021 22:00 – 01.06.2021 01:00".
QString ArchiveViewer::Summary() const {
  QString text = QStringLiteral("<b>%1</b>, заводской номер %2: %3")
                     .arg(QString::fromStdString(file_->title))
                     .arg(file_->format.serialNumber)
                     .arg(Intervals(file_->rows.size()));
  long long first = 0, last = 0;
  std::size_t dated = 0;
  for (const ArchiveFileRow& row : file_->rows) {
    const auto interval = IntervalOf(file_->format.kind, row);
    if (!interval) continue;
    first = dated == 0 ? interval->start : std::min(first, interval->start);
    last = dated == 0 ? interval->end : std::max(last, interval->end);
    ++dated;
  }
  if (dated > 0) {
    text += QStringLiteral(", %1 – %2").arg(QString::fromStdString(WallTimeText(first)),
                                            QString::fromStdString(WallTimeText(last)));
  }
  if (dated < file_->rows.size()) {
    text += QStringLiteral("; без даты, не на графике: %1").arg(file_->rows.size() - dated);
  }
  if (file_->utf8) text += QStringLiteral(" (файл в кодировке UTF-8)");
  return text;
}

void ArchiveViewer::SaveClicked() {
  const QFileInfo info(path_);
  const QString path = askSavePath(this, info.dir().filePath(info.completeBaseName() + QStringLiteral(".png")));
  if (!path.isEmpty()) SaveChart(path);
}

bool ArchiveViewer::SaveChart(const QString& path) {
  QString error;
  if (chart_->SaveImage(path, &error)) return true;
  ShowMessageBox(this, QStringLiteral("Не удалось сохранить график в %1:\n%2").arg(path, error));
  return false;
}

}  // namespace kamt
