#include "ui/archive_viewer_chart.h"

#include <QCategoryAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QMouseEvent>
#include <QSaveFile>
#include <QScatterSeries>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "viewer/archive_rows.h"
#include "viewer/time_ticks.h"

namespace kamt {
namespace {

constexpr int kPixelsPerTimeLabel = 110;
// Beyond this many points the markers would hide the lines.
constexpr int kMostMarkedPoints = 120;

QLineSeries* NewLine(const std::string& name, QColor color) {
  auto* series = new QLineSeries;
  series->setName(QString::fromStdString(name));
  series->setPen(QPen(color, 2));
  series->setColor(color);
  return series;
}

// Numbers on the axes with the user's separator and without grouping.
QLocale NumberLocale(const std::string& separator) {
  QLocale locale = separator == "," ? QLocale(QLocale::Russian, QLocale::Russia) : QLocale::c();
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

void FitAxis(QValueAxis* axis, double low, double high) {
  if (!(low < high)) {
    low -= 1;
    high += 1;
  }
  axis->setRange(low, high);
  axis->applyNiceNumbers();
}

}  // namespace

ArchiveChartView::ArchiveChartView(std::shared_ptr<const ArchiveFileContents> file, std::string separator,
                                   QWidget* parent)
    : QChartView(new QChart, parent), file_(std::move(file)), separator_(std::move(separator)) {
  QChart* c = chart();
  c->setLocalizeNumbers(true);
  c->setLocale(NumberLocale(separator_));
  c->setBackgroundRoundness(0);
  c->setMargins(QMargins(6, 6, 6, 6));
  c->legend()->setAlignment(Qt::AlignBottom);
  setRenderHint(QPainter::Antialiasing);
  setRubberBand(QChartView::RectangleRubberBand);
  viewport()->setMouseTracking(true);  // hovering, not only dragging, reaches mouseMoveEvent
  AddSeries();
  AddAxes();
  MakeLegendToggle();
  // Room for the last time label, which is centred on its mark, where no axis is on the right.
  if (!sensor_) c->setMargins(QMargins(6, 6, 40, 6));
  if (rows_.empty()) {
    c->setTitle(file_->rows.empty() ? QStringLiteral("В файле нет строк") : QStringLiteral("Нет строк с датой"));
    time_->setLabelsVisible(false);
    volume_->setLabelsVisible(false);
  }
}

void ArchiveChartView::AddSeries() {
  std::vector<std::pair<double, int>> points;
  for (std::size_t i = 0; i < file_->rows.size(); ++i) {
    if (const auto interval = IntervalOf(file_->format.kind, file_->rows[i])) {
      points.emplace_back(static_cast<double>(interval->start), static_cast<int>(i));
    }
  }
  // A meter clock that was set back puts rows out of order: the chart goes by time.
  std::stable_sort(points.begin(), points.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  const std::vector<std::string>& names = file_->columns;
  plus_ = NewLine(names.at(1), QColor(0x1f, 0x6f, 0xb4));
  minus_ = NewLine(names.at(2), QColor(0xd6, 0x3a, 0x2a));
  if (file_->format.sensorType == 1 || file_->format.sensorType == 2) sensor_ = NewLine(names.back(), QColor(0x2c, 0x9a, 0x3c));
  for (const auto& [time, row] : points) {
    const ArchiveFileRow& r = file_->rows[static_cast<std::size_t>(row)];
    times_.push_back(time);
    rows_.push_back(row);
    plus_->append(time, DecimalValue(r.volumePlus, file_->format.plusDecimals));
    minus_->append(time, DecimalValue(r.volumeMinus, file_->format.minusDecimals));
    if (sensor_ && std::isfinite(r.sensor)) sensor_->append(time, r.sensor);
  }
  const bool marked = PointCount() <= kMostMarkedPoints;
  for (QLineSeries* s : {plus_, minus_, sensor_}) {
    if (!s) continue;
    s->setPointsVisible(marked);
    chart()->addSeries(s);
  }
  mark_ = new QScatterSeries;
  mark_->setMarkerSize(11);
  mark_->setColor(QColor(0, 0, 0, 0));
  mark_->setBorderColor(QColor(0x20, 0x20, 0x20));
  chart()->addSeries(mark_);
  chart()->legend()->markers(mark_).first()->setVisible(false);
}

void ArchiveChartView::AddAxes() {
  time_ = new QCategoryAxis;
  time_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  volume_ = new QValueAxis;
  volume_->setTitleText(QStringLiteral("Объем за интервал, м3"));
  chart()->addAxis(time_, Qt::AlignBottom);
  chart()->addAxis(volume_, Qt::AlignLeft);
  for (QLineSeries* s : {plus_, minus_}) {
    s->attachAxis(time_);
    s->attachAxis(volume_);
  }
  mark_->attachAxis(time_);
  mark_->attachAxis(volume_);
  if (sensor_) {
    sensorAxis_ = new QValueAxis;
    sensorAxis_->setTitleText(sensor_->name());
    chart()->addAxis(sensorAxis_, Qt::AlignRight);
    sensor_->attachAxis(time_);
    sensor_->attachAxis(sensorAxis_);
  }

  // A lone point gets the width of its own interval around it.
  double from = times_.empty() ? 0 : times_.front();
  double to = times_.empty() ? 86400 : times_.back();
  if (!rows_.empty()) {
    const auto interval = IntervalOf(file_->format.kind, file_->rows[static_cast<std::size_t>(rows_.front())]);
    const double margin = static_cast<double>(interval->end - interval->start) / 2;
    from -= margin;
    to += margin;
  }
  connect(time_, &QValueAxis::rangeChanged, this, &ArchiveChartView::LabelTime);
  time_->setRange(from, to);
  LabelTime(from, to);

  double low = 0, high = 0;
  for (QLineSeries* s : {plus_, minus_}) {
    for (const QPointF& p : s->points()) {
      low = std::min(low, p.y());
      high = std::max(high, p.y());
    }
  }
  FitAxis(volume_, low, high);
  if (sensor_) {
    const QList<QPointF> points = sensor_->points();
    double sLow = points.isEmpty() ? 0 : points.front().y();
    double sHigh = sLow;
    for (const QPointF& p : points) {
      sLow = std::min(sLow, p.y());
      sHigh = std::max(sHigh, p.y());
    }
    FitAxis(sensorAxis_, sLow, sHigh);
  }
}

// A click on a legend entry hides or shows its line.
void ArchiveChartView::MakeLegendToggle() {
  for (QLegendMarker* marker : chart()->legend()->markers()) {
    connect(marker, &QLegendMarker::clicked, this, [marker] {
      QAbstractSeries* series = marker->series();
      series->setVisible(!series->isVisible());
      marker->setVisible(true);
      QColor label = marker->labelBrush().color();
      label.setAlphaF(series->isVisible() ? 1.0f : 0.4f);
      marker->setLabelBrush(label);
    });
  }
}

// Calendar marks instead of evenly spread times: whole hours, days, months or years, as many
// as the width holds. Called again on every zoom.
void ArchiveChartView::LabelTime(qreal from, qreal to) {
  for (const QString& label : time_->categoriesLabels()) time_->remove(label);
  time_->setStartValue(from - 1);
  const int most = std::max(2, static_cast<int>(chart()->plotArea().width()) / kPixelsPerTimeLabel);
  for (const TimeTick& tick : TimeTicks(from, to, most)) {
    time_->append(QString::fromStdString(tick.label), static_cast<qreal>(tick.seconds));
  }
}

void ArchiveChartView::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  LabelTime(time_->min(), time_->max());
}

QPointF ArchiveChartView::PointOf(int row) const {
  const auto at = std::find(rows_.begin(), rows_.end(), row);
  if (at == rows_.end()) return {std::nan(""), std::nan("")};
  return plus_->at(static_cast<int>(at - rows_.begin()));
}

int ArchiveChartView::RowAt(QPoint position) const {
  if (rows_.empty()) return -1;
  const QPointF inChart = chart()->mapFromScene(mapToScene(position));
  if (!chart()->plotArea().contains(inChart)) return -1;
  const double time = chart()->mapToValue(inChart, plus_).x();
  const auto after = std::lower_bound(times_.begin(), times_.end(), time);
  std::size_t nearest = static_cast<std::size_t>(after - times_.begin());
  if (nearest == times_.size() || (nearest > 0 && time - times_[nearest - 1] < *after - time)) --nearest;
  if (times_[nearest] < time_->min() || times_[nearest] > time_->max()) return -1;
  return rows_[nearest];
}

QString ArchiveChartView::RowToolTip(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= file_->rows.size()) return {};
  return QString::fromStdString(RowSummary(*file_, file_->rows[static_cast<std::size_t>(row)], separator_));
}

void ArchiveChartView::ShowRow(int row) {
  mark_->clear();
  const QPointF point = PointOf(row);
  if (!std::isnan(point.x())) mark_->append(point);
}

void ArchiveChartView::ResetZoom() { chart()->zoomReset(); }

void ArchiveChartView::mouseMoveEvent(QMouseEvent* event) {
  QChartView::mouseMoveEvent(event);
  if (event->buttons() != Qt::NoButton) return;
  const int row = RowAt(event->position().toPoint());
  ShowRow(row);
  if (row < 0) {
    QToolTip::hideText();
    return;
  }
  QToolTip::showText(event->globalPosition().toPoint(), RowToolTip(row), this);
}

void ArchiveChartView::leaveEvent(QEvent* event) {
  mark_->clear();
  QChartView::leaveEvent(event);
}

bool ArchiveChartView::SaveImage(const QString& path, QString* error) {
  QSaveFile file(path);
  const QPixmap picture = grab();
  bool saved = file.open(QIODevice::WriteOnly);
  if (saved && !picture.save(&file, "PNG")) {
    file.cancelWriting();
    saved = false;
  }
  saved = saved && file.commit();
  if (!saved && error) *error = file.errorString();
  return saved;
}

}  // namespace kamt
