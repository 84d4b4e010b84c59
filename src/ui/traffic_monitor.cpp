#include "ui/traffic_monitor.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QShowEvent>
#include <algorithm>

#include "link/traffic_file.h"
#include "link/traffic_hookup.h"
#include "ui/message_box.h"
#include "ui/traffic_monitor_model.h"

namespace kamt {
namespace {

QString AskSavePath(QWidget* parent, const QString& suggested) {
  return QFileDialog::getSaveFileName(parent, QStringLiteral("Сохранить журнал обмена"), suggested,
                                      QStringLiteral("Текстовые файлы (*.txt);;Все файлы (*)"));
}

// Monospaced, so that the bytes of one frame line up under those of the next.
void LayOutColumns(QTableView& view) {
  const QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  view.setFont(mono);
  const QFontMetrics metrics(mono);
  const int padding = 2 * metrics.horizontalAdvance(QLatin1Char(' ')) + 8;
  QHeaderView* rows = view.verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(metrics.height() + 4);
  QHeaderView* columns = view.horizontalHeader();
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  const auto fit = [&](int column, const QString& widest) {
    columns->resizeSection(column, metrics.horizontalAdvance(widest) + padding);
  };
  fit(TrafficMonitorModel::TimeColumn, QStringLiteral("00:00:00.000"));
  fit(TrafficMonitorModel::DirectionColumn, QStringLiteral("Напр."));
  // Sixteen bytes show whole; a longer frame is cut, and its tool tip holds all of it.
  fit(TrafficMonitorModel::BytesColumn, QString(16 * 3 - 1, QLatin1Char('F')));
  columns->setStretchLastSection(true);
}

}  // namespace

TrafficMonitor::TrafficMonitor(QWidget* parent, SerialPort& port, ClientSocket& socket, std::filesystem::path folder)
    : QWidget(parent, Qt::Window), askSavePath(AskSavePath), port_(port), socket_(socket), folder_(std::move(folder)) {
  ui_.setupUi(this);
  // Closing the main window ends the program, whether this one is open or not.
  setAttribute(Qt::WA_QuitOnClose, false);
  model_ = new TrafficMonitorModel(log_, this);
  ui_.Traffic_View->setModel(model_);
  LayOutColumns(*ui_.Traffic_View);

  auto* copy = new QAction(this);
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  addAction(copy);
  const auto toClipboard = [this] { QGuiApplication::clipboard()->setText(CopiedText()); };
  connect(copy, &QAction::triggered, this, toClipboard);
  connect(ui_.Copy_Button, &QPushButton::clicked, this, toClipboard);
  connect(ui_.Save_Button, &QPushButton::clicked, this, &TrafficMonitor::SaveClicked);
  connect(ui_.Clear_Button, &QPushButton::clicked, this, &TrafficMonitor::ClearClicked);
  connect(ui_.Pause_Button, &QPushButton::toggled, this, [this](bool paused) {
    ui_.Pause_Button->setText(paused ? QStringLiteral("Продолжить") : QStringLiteral("Пауза"));
    Listen(!paused && isVisible());
    ShowCount();
  });
  refresh_.setInterval(kRefreshMs);
  connect(&refresh_, &QTimer::timeout, this, &TrafficMonitor::Refresh);
  ShowCount();
}

TrafficMonitor::~TrafficMonitor() { Listen(false); }

bool TrafficMonitor::Listening() const { return port_.traffic == &log_; }

void TrafficMonitor::Listen(bool on) {
  if (on) {
    AttachTraffic(port_, socket_, &log_);
  } else if (Listening()) {
    AttachTraffic(port_, socket_, nullptr);
  }
}

// A minimised window stays open: only showing and closing it starts and stops the listening.
void TrafficMonitor::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  Listen(!ui_.Pause_Button->isChecked());
  refresh_.start();
  Refresh();
}

void TrafficMonitor::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (event->spontaneous()) return;
  Listen(false);
  refresh_.stop();
}

void TrafficMonitor::Refresh() {
  const QScrollBar* bar = ui_.Traffic_View->verticalScrollBar();
  const bool followingTheEnd = bar->value() == bar->maximum();
  if (!model_->Refresh()) return;
  saved_.clear();
  ShowCount();
  if (followingTheEnd) ui_.Traffic_View->scrollToBottom();
}

void TrafficMonitor::ShowCount() {
  QString text = QStringLiteral("Строк: %1").arg(model_->rowCount());
  if (static_cast<std::size_t>(model_->rowCount()) >= kTrafficLogLimit) text += QStringLiteral(" (старые удаляются)");
  if (ui_.Pause_Button->isChecked()) text += QStringLiteral("; пауза: обмен не записывается");
  if (!saved_.isEmpty()) text += QStringLiteral("; сохранено в файл %1").arg(saved_);
  ui_.Lines_Label->setText(text);
}

QString TrafficMonitor::CopiedText() const {
  QModelIndexList selected = ui_.Traffic_View->selectionModel()->selectedRows();
  if (selected.isEmpty()) {
    const std::uint64_t first = model_->NumberAt(0);
    return QString::fromStdString(log_.Text(first, model_->NumberAt(model_->rowCount()), "\n"));
  }
  std::sort(selected.begin(), selected.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::string text;
  for (const QModelIndex& index : selected) {
    const std::uint64_t number = model_->NumberAt(index.row());
    text += log_.Text(number, number + 1, "\n");
  }
  return QString::fromStdString(text);
}

bool TrafficMonitor::SaveTo(const QString& path) {
  Refresh();
  std::string error;
  WriteFailure failure = WriteFailure::None;
  const QString name = QFileInfo(path).fileName();
  if (!SaveTrafficLog(log_, std::filesystem::path(path.toStdU16String()), &error, &failure)) {
    const QString text = failure == WriteFailure::Write ? QStringLiteral("Ошибка записи файла: ")
                                                        : QStringLiteral("Ошибка открытия файла: ");
    ShowMessageBox(this, text + name);
    return false;
  }
  saved_ = name;
  ShowCount();
  return true;
}

void TrafficMonitor::SaveClicked() {
  const QString folder = QString::fromStdU16String(folder_.u16string());
  const QString path = askSavePath(this, QDir(folder).filePath(QStringLiteral("Журнал обмена.txt")));
  if (!path.isEmpty()) SaveTo(path);
}

void TrafficMonitor::ClearClicked() {
  log_.Clear();
  saved_.clear();
  Refresh();
  ShowCount();
}

}  // namespace kamt
