#include "ui/traffic_monitor_model.h"

#include <QBrush>
#include <QColor>
#include <algorithm>

#include "link/traffic_line.h"
#include "link/traffic_log.h"

namespace kamt {
namespace {

QString ToQString(const std::string& text) { return QString::fromStdString(text); }

// The bytes of a long frame, 16 to a line, for its tool tip.
QString HexLines(const std::vector<std::uint8_t>& bytes) {
  QString text;
  for (std::size_t at = 0; at < bytes.size(); at += 16) {
    if (at > 0) text += QLatin1Char('\n');
    const std::size_t n = std::min<std::size_t>(16, bytes.size() - at);
    text += ToQString(HexText(std::span(bytes).subspan(at, n)));
  }
  return text;
}

}  // namespace

TrafficMonitorModel::TrafficMonitorModel(const TrafficLog& log, QObject* parent)
    : QAbstractTableModel(parent), log_(log), first_(log.FirstNumber()), end_(log.FirstNumber()) {}

int TrafficMonitorModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(end_ - first_);
}

int TrafficMonitorModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

const TrafficSummary& TrafficMonitorModel::SummaryOf(std::uint64_t number) const {
  if (number != summaryNumber_) {
    const TrafficEvent* event = log_.Find(number);
    summary_ = event ? DescribeTraffic(event->direction, event->kind, event->bytes) : TrafficSummary{};
    summaryNumber_ = number;
  }
  return summary_;
}

QVariant TrafficMonitorModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const std::uint64_t number = NumberAt(index.row());
  // A row the log dropped since the last refresh is gone at the next one.
  const TrafficEvent* event = log_.Find(number);
  if (!event) return {};
  const int column = index.column();
  if (role == Qt::DisplayRole) {
    switch (column) {
      case TimeColumn: return ToQString(TimeOfDayText(event->timeMs));
      case DirectionColumn: return ToQString(DirectionText(event->direction));
      case BytesColumn: return ToQString(HexText(event->bytes));
      default: return ToQString(SummaryOf(number).text);
    }
  }
  if (role == Qt::ToolTipRole && column == BytesColumn && !event->bytes.empty()) {
    return QStringLiteral("Байт: %1\n%2").arg(event->bytes.size()).arg(HexLines(event->bytes));
  }
  if (role == Qt::ToolTipRole && column == SummaryColumn) return ToQString(SummaryOf(number).text);
  if (role == Qt::ForegroundRole && column == DirectionColumn) {
    return QBrush(event->direction == TrafficDirection::Sent ? QColor(0x1A, 0x4F, 0x8B) : QColor(0x1D, 0x6B, 0x2F));
  }
  if (role == Qt::ForegroundRole && column == SummaryColumn && SummaryOf(number).fault) {
    return QBrush(QColor(0xB0, 0x00, 0x20));
  }
  return {};
}

QVariant TrafficMonitorModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case TimeColumn: return QStringLiteral("Время");
    case DirectionColumn: return QStringLiteral("Напр.");
    case BytesColumn: return QStringLiteral("Байты");
    case SummaryColumn: return QStringLiteral("Расшифровка");
    default: return {};
  }
}

bool TrafficMonitorModel::Refresh() {
  const std::uint64_t first = log_.FirstNumber();
  const std::uint64_t end = log_.EndNumber();
  bool changed = false;
  if (first > first_) {
    const std::uint64_t gone = std::min(first, end_) - first_;
    if (gone > 0) {
      beginRemoveRows({}, 0, static_cast<int>(gone) - 1);
      first_ += gone;
      endRemoveRows();
      changed = true;
    }
    // Cleared, or more came and went than the log holds: nothing shown is left.
    if (first_ < first) first_ = end_ = first;
  }
  if (end > end_) {
    const int rows = rowCount();
    beginInsertRows({}, rows, rows + static_cast<int>(end - end_) - 1);
    end_ = end;
    endInsertRows();
    changed = true;
  }
  return changed;
}

}  // namespace kamt
