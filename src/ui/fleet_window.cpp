#include "ui/fleet_window.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QThread>

#include "fleet/collector.h"
#include "fleet/export_format.h"
#include "fleet/fleet_file.h"
#include "fleet/worker_pool.h"
#include "fleet/statement.h"
#include "meter/archive_file.h"
#include "meter/current_data.h"
#include "platform/qt_fleet_platform.h"
#include "platform/sql_fleet_view.h"
#include "platform/sql_store.h"
#include "text/text_file.h"
#include "ui/archive_viewer_chart.h"
#include "ui/statement_dialog.h"

namespace kamt {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// "2026-12-07T05:00:00Z" in the computer's local time.
QString LocalTime(const std::string& utc) {
  const QDateTime time = QDateTime::fromString(Q(utc), Qt::ISODate);
  return time.isValid() ? time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : Q(utc);
}

QString OutcomeText(const std::string& outcome) {
  if (outcome == "ok") return QStringLiteral("успешно");
  if (outcome == "partial") return QStringLiteral("не всё прочитано");
  if (outcome == "stopped") return QStringLiteral("прерван");
  return QStringLiteral("ошибка");
}

// Enough of the newest intervals for a chart one can read: a month of hours, a year of days.
constexpr std::size_t kChartRows[] = {24 * 31, 366};

QString AskDatabase(QWidget* parent) {
  return QFileDialog::getOpenFileName(parent, QStringLiteral("База данных"), {},
                                      QStringLiteral("База данных SQLite (*.db *.sqlite);;Все файлы (*)"));
}

QString AskFolder(QWidget* parent) {
  return QFileDialog::getExistingDirectory(parent, QStringLiteral("Папка для файлов архивов"));
}

QString AskSavePath(QWidget* parent, const QString& caption, const QString& suggested, const QString& filter) {
  return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

}  // namespace

void FleetTableModel::Reset(std::vector<MeterOverview> meters) {
  beginResetModel();
  meters_ = std::move(meters);
  endResetModel();
}

int FleetTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(meters_.size());
}

int FleetTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Columns; }

QVariant FleetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const kNames[] = {"Прибор", "Зав. номер", "Соединение", "Последний опрос", "Итог",
                                       "Записей", "Часы прибора, с", "Состояние"};
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= Columns) return {};
  return QString::fromUtf8(kNames[section]);
}

QVariant FleetTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const MeterOverview& m = At(index.row());
  if (role == Qt::ForegroundRole) return m.Faulty() ? QVariant(QColor(Qt::red)) : QVariant();
  if (role == Qt::ToolTipRole && m.lastPoll && !m.lastPoll->message.empty()) return Q(m.lastPoll->message);
  const bool sort = role == Qt::UserRole;
  if (role != Qt::DisplayRole && !sort) return {};
  switch (index.column()) {
    case Name: return Q(m.meter.name);
    case Serial: return sort ? QVariant(m.meter.serialNumber) : QVariant(QString::number(m.meter.serialNumber));
    case Connection: return Q(m.meter.connection);
    case LastPoll:
      if (!m.lastPoll) return sort ? QVariant(QString()) : QVariant(QStringLiteral("—"));
      return sort ? Q(m.lastPoll->startedAt) : LocalTime(m.lastPoll->startedAt);
    case Outcome: return m.lastPoll ? OutcomeText(m.lastPoll->outcome) : QString();
    case Records: return sort ? QVariant(m.records) : QVariant(QString::number(m.records));
    case ClockOffset:
      if (!m.lastPoll || !m.lastPoll->clockOffsetS) return sort ? QVariant(0LL) : QVariant(QStringLiteral("—"));
      return sort ? QVariant(*m.lastPoll->clockOffsetS) : QVariant(QString::number(*m.lastPoll->clockOffsetS));
    case State: {
      QString state = m.status ? Q(MeterState(*m.status)) : QStringLiteral("—");
      if (m.status && !MeterStateNormal(*m.status)) state += QStringLiteral(" (0x%1)").arg(*m.status, 8, 16, QChar('0'));
      if (m.errorCode && *m.errorCode != 0) state += QStringLiteral(", код ошибки %1").arg(*m.errorCode);
      return state;
    }
  }
  return {};
}

FleetWindow::FleetWindow(QWidget* parent, std::string separator)
    : QWidget(parent, Qt::Window),
      askDatabase(AskDatabase),
      askFolder(AskFolder),
      askSavePath(AskSavePath),
      separator_(std::move(separator)),
      model_(this),
      proxy_(this) {
  ui_.setupUi(this);
  proxy_.setSourceModel(&model_);
  proxy_.setSortRole(Qt::UserRole);
  proxy_.setFilterKeyColumn(-1);
  proxy_.setFilterCaseSensitivity(Qt::CaseInsensitive);
  ui_.Meters_Table->setModel(&proxy_);
  ui_.Meters_Table->verticalHeader()->hide();
  ui_.Meters_Table->horizontalHeader()->setStretchLastSection(true);
  ui_.Meters_Table->sortByColumn(FleetTableModel::Name, Qt::AscendingOrder);
  ui_.Month_DateEdit->setDate(QDate::currentDate());
  ui_.Splitter->setStretchFactor(1, 2);

  auto* noChart = new QLabel(QStringLiteral("Нет записей"), ui_.Chart_Place);
  noChart->setAlignment(Qt::AlignCenter);
  noChart_ = noChart;
  ui_.Chart_Place->layout()->addWidget(noChart_);
  ui_.Chart_Place->setMinimumHeight(260);

  connect(ui_.Browse_Button, &QPushButton::clicked, this, [this] {
    const QString path = askDatabase(this);
    if (path.isEmpty()) return;
    ui_.Database_Edit->setText(path);
    OpenDatabase(path);
  });
  connect(ui_.Open_Button, &QPushButton::clicked, this, [this] { OpenDatabase(ui_.Database_Edit->text().trimmed()); });
  connect(ui_.Database_Edit, &QLineEdit::returnPressed, ui_.Open_Button, &QPushButton::click);
  connect(ui_.Refresh_Button, &QPushButton::clicked, this, &FleetWindow::Refresh);
  connect(ui_.Filter_Edit, &QLineEdit::textChanged, &proxy_, &QSortFilterProxyModel::setFilterFixedString);
  connect(ui_.Meters_Table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &FleetWindow::SelectionChanged);
  connect(ui_.Period_ComboBox, &QComboBox::currentIndexChanged, this, &FleetWindow::ShowChart);
  connect(ui_.PollNow_Button, &QPushButton::clicked, this, &FleetWindow::PollNow);
  connect(ui_.ExportFiles_Button, &QPushButton::clicked, this, &FleetWindow::ExportFiles);
  connect(ui_.ExportCsv_Button, &QPushButton::clicked, this, &FleetWindow::ExportCsv);
  connect(ui_.Statement_Button, &QPushButton::clicked, this, &FleetWindow::ShowStatement);
  EnableMeterButtons();
}

FleetWindow::~FleetWindow() {
  stop_ = true;
  if (poll_) poll_->wait();
}

void FleetWindow::closeEvent(QCloseEvent* event) {
  // A poll under way ends between two requests, keeping what it read.
  stop_ = true;
  if (poll_) poll_->wait();
  event->accept();
}

void FleetWindow::Say(const QString& text, bool failed) {
  ui_.Status_Label->setStyleSheet(failed ? QStringLiteral("color: red") : QString());
  ui_.Status_Label->setText(text);
}

bool FleetWindow::OpenDatabase(const QString& text) {
  if (text.isEmpty()) return false;
  if (poll_) {
    Say(QStringLiteral("Дождитесь конца опроса"), true);
    return false;
  }
  ui_.Database_Edit->setText(text);
  view_.reset();
  store_.reset();
  database_.clear();
  model_.Reset({});
  try {
    // A file path or a server's connection text: the platform's store tells them apart.
    store_ = QtFleetPlatform().OpenStoreToRead(text.toStdString());
    auto* sql = dynamic_cast<SqlStore*>(store_.get());
    if (!sql) throw StoreError("no SQL store");
    view_ = std::make_unique<SqlFleetView>(*sql);
    database_ = text.toStdString();
  } catch (const StoreError& e) {
    store_.reset();
    Say(QStringLiteral("Не удалось открыть базу данных: %1").arg(Q(e.what())), true);
    return false;
  }
  Refresh();
  return view_ != nullptr;
}

void FleetWindow::Refresh() {
  if (!view_) return;
  const QString chosen = Selected() ? Q(Selected()->meter.name) : QString();
  try {
    model_.Reset(view_->Overview());
  } catch (const StoreError& e) {
    Say(QStringLiteral("Не удалось прочитать базу данных: %1").arg(Q(e.what())), true);
    return;
  }
  int faulty = 0;
  for (const MeterOverview& m : model_.Meters()) faulty += m.Faulty() ? 1 : 0;
  Say(QStringLiteral("Приборов: %1, с неисправностью: %2").arg(model_.rowCount()).arg(faulty));
  ui_.Meters_Table->resizeColumnsToContents();
  if (!chosen.isEmpty()) SelectMeter(chosen);
  SelectionChanged();
}

void FleetWindow::SelectMeter(const QString& name) {
  for (int row = 0; row < proxy_.rowCount(); ++row) {
    const QModelIndex index = proxy_.index(row, FleetTableModel::Name);
    if (index.data().toString() == name) {
      ui_.Meters_Table->setCurrentIndex(index);
      return;
    }
  }
}

const MeterOverview* FleetWindow::Selected() const {
  const QModelIndex index = ui_.Meters_Table->currentIndex();
  if (!index.isValid()) return nullptr;
  const QModelIndex source = proxy_.mapToSource(index);
  return source.isValid() ? &model_.At(source.row()) : nullptr;
}

void FleetWindow::EnableMeterButtons() {
  const bool chosen = Selected() != nullptr;
  ui_.PollNow_Button->setEnabled(chosen && !poll_);
  ui_.ExportFiles_Button->setEnabled(chosen);
  ui_.ExportCsv_Button->setEnabled(chosen);
  ui_.Statement_Button->setEnabled(chosen);
}

void FleetWindow::SelectionChanged() {
  EnableMeterButtons();
  const MeterOverview* m = Selected();
  ui_.Meter_Label->setText(m ? QStringLiteral("%1, зав. номер %2").arg(Q(m->meter.name)).arg(m->meter.serialNumber)
                             : QString());
  ShowChart();
  ShowPolls();
}

void FleetWindow::ShowChart() {
  delete chart_;
  chart_ = nullptr;
  noChart_->show();
  const MeterOverview* m = Selected();
  if (!m || !store_) return;
  const bool hourly = ui_.Period_ComboBox->currentIndex() == 1;
  const ArchiveKind kind = hourly ? ArchiveKind::Hourly : ArchiveKind::Daily;
  try {
    // Only the records the chart can show are read: those since a little more than its span
    // before the meter's clock at the last poll.
    const QDateTime meterTime = QDateTime::fromString(Q(m->meterTime), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const std::string from =
        meterTime.isValid()
            ? meterTime.addDays(hourly ? -33 : -370).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString()
            : std::string();
    const std::vector<StoredRecord> records = store_->Records(m->meter.id, kind, from, "");
    std::vector<IntervalRow> rows = IntervalRows(records);
    if (const std::size_t keep = kChartRows[hourly ? 0 : 1]; rows.size() > keep) {
      rows.erase(rows.begin(), rows.end() - static_cast<std::ptrdiff_t>(keep));
    }
    if (rows.empty()) return;
    // The chart of the archive viewer, on the file an archive read of these records writes.
    ArchiveFileReadResult file = ParseArchiveFile(ArchiveFileText(m->meter, kind, rows));
    if (!file.contents) return;
    chart_ = new ArchiveChartView(std::make_shared<const ArchiveFileContents>(std::move(*file.contents)), separator_,
                                  ui_.Chart_Place);
    chart_->setObjectName(QStringLiteral("Consumption_Chart"));
    noChart_->hide();
    ui_.Chart_Place->layout()->addWidget(chart_);
  } catch (const StoreError& e) {
    Say(QStringLiteral("Не удалось прочитать архив: %1").arg(Q(e.what())), true);
  }
}

void FleetWindow::ShowPolls() {
  QTableWidget& table = *ui_.Polls_Table;
  table.clear();
  table.setColumnCount(8);
  table.setHorizontalHeaderLabels({QStringLiteral("Начало"), QStringLiteral("Конец"), QStringLiteral("Итог"),
                                   QStringLiteral("Запросов"), QStringLiteral("Неудачных"),
                                   QStringLiteral("Часы прибора, с"), QStringLiteral("Записей"),
                                   QStringLiteral("Сообщение")});
  table.horizontalHeader()->setStretchLastSection(true);
  table.verticalHeader()->hide();
  table.setRowCount(0);
  const MeterOverview* m = Selected();
  if (!m || !view_) return;
  std::vector<PollRow> polls;
  try {
    polls = view_->Polls(*m, 500);
  } catch (const StoreError& e) {
    Say(QStringLiteral("Не удалось прочитать опросы: %1").arg(Q(e.what())), true);
    return;
  }
  table.setRowCount(static_cast<int>(polls.size()));
  for (int row = 0; row < table.rowCount(); ++row) {
    const PollRow& p = polls[static_cast<std::size_t>(row)];
    const QStringList cells{LocalTime(p.startedAt),
                            LocalTime(p.endedAt),
                            OutcomeText(p.outcome),
                            QString::number(p.requests),
                            QString::number(p.failedAttempts),
                            p.clockOffsetS ? QString::number(*p.clockOffsetS) : QStringLiteral("—"),
                            QString::number(p.recordsStored),
                            Q(p.message)};
    for (int column = 0; column < cells.size(); ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      if (p.outcome != "ok") item->setForeground(Qt::red);
      table.setItem(row, column, item);
    }
  }
  table.resizeColumnsToContents();
}

void FleetWindow::PollNow() {
  const MeterOverview* m = Selected();
  if (!m || poll_) return;
  const FleetFile line = ParseStoredConnection(m->meter.name, m->meter.connection);
  if (line.meters.empty()) {
    Say(QStringLiteral("Линия прибора в базе не читается: %1").arg(Q(line.errors.at(0))), true);
    return;
  }
  const FleetMeter meter = line.meters.front();
  const std::string database = database_;
  stop_ = false;
  Say(QStringLiteral("Опрос %1 (%2)...").arg(Q(meter.name), Q(meter.Connection())));
  ui_.Poll_ProgressBar->show();
  // The collector's own code for one fleet line, in a thread of its own: the window's events
  // run on while the meter answers.
  poll_ = QThread::create([this, meter, database] {
    QString text;
    bool failed = true;
    try {
      QtFleetPlatform platform;
      std::string holder;
      if (!platform.LockDatabase(database, holder)) {
        text = QStringLiteral("База данных занята сборщиком (%1): опрос не выполнен").arg(Q(holder));
      } else {
        platform.OpenStore(database);
        const auto pool = platform.MakePool(database, 1);
        CollectOptions options;
        options.stop = &stop_;
        PollReport report;
        options.onReport = [&report](const PollReport& r) { report = r; };
        const CollectSummary summary = Collect({meter}, *pool, options);
        if (!summary.storeError.empty()) {
          text = QStringLiteral("Ошибка базы данных: %1").arg(Q(summary.storeError));
        } else {
          failed = !report.Ok();
          text = QStringLiteral("Опрос %1: %2, записей сохранено: %3, запросов: %4")
                     .arg(Q(report.name), OutcomeText(report.outcome))
                     .arg(report.stored)
                     .arg(report.requests);
          if (report.clockOffsetS) text += QStringLiteral(", часы прибора: %1 с").arg(*report.clockOffsetS);
          if (!report.message.empty()) text += QStringLiteral(" (%1)").arg(Q(report.message));
        }
      }
    } catch (const StoreError& e) {
      text = QStringLiteral("Ошибка базы данных: %1").arg(Q(e.what()));
    }
    QMetaObject::invokeMethod(this, [this, text, failed] { PollDone(text, failed); }, Qt::QueuedConnection);
  });
  EnableMeterButtons();
  poll_->start();
}

void FleetWindow::PollDone(const QString& text, bool failed) {
  poll_->wait();
  delete poll_;
  poll_ = nullptr;
  ui_.Poll_ProgressBar->hide();
  Refresh();
  Say(text, failed);
  EnableMeterButtons();
  emit PollFinished();
}

void FleetWindow::ExportFiles() {
  const MeterOverview* m = Selected();
  if (!m || !store_) return;
  const QString folder = askFolder(this);
  if (folder.isEmpty()) return;
  QStringList written;
  try {
    for (const ArchiveKind kind : {ArchiveKind::Hourly, ArchiveKind::Daily, ArchiveKind::Monthly}) {
      const std::vector<StoredRecord> records = store_->Records(m->meter.id, kind, "", "");
      const std::vector<IntervalRow> rows = IntervalRows(records);
      if (rows.empty()) continue;
      std::string error;
      const std::filesystem::path path =
          WriteArchiveFile(m->meter, kind, rows, std::filesystem::path(folder.toStdU16String()), error);
      if (path.empty()) {
        Say(QStringLiteral("Файл не записан: %1").arg(Q(error)), true);
        return;
      }
      written << QString::fromStdU16String(path.filename().u16string());
    }
  } catch (const StoreError& e) {
    Say(QStringLiteral("Не удалось прочитать архив: %1").arg(Q(e.what())), true);
    return;
  }
  Say(written.isEmpty() ? QStringLiteral("В базе нет записей прибора")
                        : QStringLiteral("Записаны файлы: %1").arg(written.join(QStringLiteral(", "))));
}

void FleetWindow::ExportCsv() {
  const MeterOverview* m = Selected();
  if (!m || !store_) return;
  const QString path = askSavePath(this, QStringLiteral("Архивы в CSV"), Q(m->meter.name) + QStringLiteral(".csv"),
                                   QStringLiteral("CSV (*.csv)"));
  if (path.isEmpty()) return;
  std::string error;
  try {
    if (!WriteFileAtomically(std::filesystem::path(path.toStdU16String()), MeterCsv(*store_, m->meter), &error)) {
      Say(QStringLiteral("Файл не записан: %1").arg(Q(error)), true);
      return;
    }
  } catch (const StoreError& e) {
    Say(QStringLiteral("Не удалось прочитать архив: %1").arg(Q(e.what())), true);
    return;
  }
  Say(QStringLiteral("Записан файл: %1").arg(path));
}

void FleetWindow::ShowStatement() {
  const MeterOverview* m = Selected();
  if (!m || !store_) return;
  const QDate month = ui_.Month_DateEdit->date();
  try {
    const std::string from = MonthStart(month.year(), month.month()), to = MonthEnd(month.year(), month.month());
    const Statement statement =
        MakeStatement(month.year(), month.month(), m->meter.sensorType,
                      store_->Records(m->meter.id, ArchiveKind::Hourly, from, to),
                      store_->Records(m->meter.id, ArchiveKind::Daily, from, to));
    auto* dialog = new StatementDialog(this, m->meter, statement, separator_);
    dialog->askSavePath = askSavePath;
    dialog->show();
  } catch (const StoreError& e) {
    Say(QStringLiteral("Не удалось прочитать архив: %1").arg(Q(e.what())), true);
  }
}

}  // namespace kamt
